# Writes the site's service worker from its source: every file of the site (the worker aside)
# with its SHA-256, and a release name made of all of them and of the worker's source, so that a
# change to any of them makes a new release with a cache of its own. A file the build no longer
# writes (one left by an older build) is removed first, so that nothing serves or keeps it.
#
#   cmake -DSITE=DIR -DNAMES=a,b,... -DSOURCE=web/page/service-worker.js -P web/service_worker.cmake
#
# The file is rewritten only when it changes: browsers take any change to it for a new release.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" names "${NAMES}")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${SITE} ${SITE}/*)
list(REMOVE_ITEM files service-worker.js)
foreach(name IN LISTS files)
  if(NOT name IN_LIST names)
    file(REMOVE ${SITE}/${name})
    list(REMOVE_ITEM files ${name})
  endif()
endforeach()
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
