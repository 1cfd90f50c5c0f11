# Writes the site's service worker from its source: every file of the site (the worker aside)
# with its SHA-256, and a release name made of all of them and of the worker's source, so that a
# change to any of them makes a new release with a cache of its own.
#
#   cmake -DSITE=DIR -DSOURCE=web/page/service-worker.js -P web/service_worker.cmake
#
# The file is rewritten only when it changes: browsers take any change to it for a new release.
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files service-worker.js)
list(SORT files)
set(SITE_FILES "")
foreach(name IN LISTS files)
  file(SHA256 ${SITE}/${name} digest)
  string(APPEND SITE_FILES "  '${name}': '${digest}',\n")
endforeach()
file(SHA256 ${SOURCE} source_digest)
string(SHA256 release "${SITE_FILES}${source_digest}")
string(SUBSTRING ${release} 0 16 RELEASE)
configure_file(${SOURCE} ${SITE}/service-worker.js @ONLY)
