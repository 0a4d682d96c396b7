# Writes the service worker with the build's version: the project's version
# and a digest of the page's other files, so any change makes a new cache.
# -DIN=sw.js -DOUT=page/sw.js -DPAGE=page -DVERSION=1.2.3 -DFILES=a;b
set(digests "")
foreach(name IN LISTS FILES)
  file(SHA256 ${PAGE}/${name} digest)
  string(APPEND digests "${digest}")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING "${digest}" 0 16 digest)
set(PAGE_VERSION "${VERSION}-${digest}")
configure_file(${IN} ${OUT} @ONLY)
