// The maker's two web pages, which every host offers.
#pragma once

constexpr int kPageAddressSize = 222;  // buffer for a web page's address
extern const char kSiteAddress[];      // the site, ending in "/"
extern const char kHomePageQuery[];
extern const char kDonatePageQuery[];
