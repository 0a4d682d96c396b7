#include "pages.h"

const char kSiteAddress[] = "https://ringvoyage.example/";
const char kHomePageQuery[] = "?page=Windows/Tools/Ringvoyage/1";
const char kDonatePageQuery[] = "?seite=PayPal&Program=Ringvoyage";

static_assert(sizeof kSiteAddress - 1 + sizeof kDonatePageQuery <= kPageAddressSize,
              "a page address fits its buffer");
static_assert(sizeof kSiteAddress - 1 + sizeof kHomePageQuery <= kPageAddressSize,
              "a page address fits its buffer");
