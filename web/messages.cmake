# Turns the page's message catalogs (web/page/messages/LANGUAGE.json) into scripts the page loads
# without fetch(), which a page opened from a folder could not do: messages-LANGUAGE.js for each
# language, and the site's i18n.js, which is web/page/i18n.js with English, the source catalog and
# every other one's fallback, built in. A catalog that is not valid JSON stops the build.
#
#   cmake -DSOURCE=web/page -DSITE=DIR -DLANGUAGES=de,fr,... -P web/messages.cmake
#
# Each file is rewritten only when it changes, so an unchanged catalog keeps its release's digest.
cmake_minimum_required(VERSION 3.25)
string(REPLACE "," ";" languages "${LANGUAGES}")
file(GLOB found RELATIVE ${SOURCE}/messages ${SOURCE}/messages/*.json)
foreach(file IN LISTS found)
  get_filename_component(language ${file} NAME_WLE)
  if(NOT language STREQUAL "en" AND NOT language IN_LIST languages)
    message(FATAL_ERROR "${SOURCE}/messages/${file}: ${language} is not in TESSALORAN_LANGUAGES "
      "(web/CMakeLists.txt)")
  endif()
endforeach()

function(write_if_changed path content)
  file(WRITE ${path}.new "${content}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()

function(catalog_script language out)
  set(catalog ${SOURCE}/messages/${language}.json)
  file(READ ${catalog} json)
  string(JSON type ERROR_VARIABLE error TYPE "${json}")
  if(error OR NOT type STREQUAL "OBJECT")
    message(FATAL_ERROR "${catalog} is not a JSON object: ${error}")
  endif()
  string(STRIP "${json}" json)
  set(${out} "window.tessaloran.i18n.add('${language}', ${json});\n" PARENT_SCOPE)
endfunction()

catalog_script(en english)
file(READ ${SOURCE}/i18n.js source)
write_if_changed(${SITE}/i18n.js "${source}\n// The English catalog, web/page/messages/en.json.\n${english}")
foreach(language IN LISTS languages)
  catalog_script(${language} script)
  write_if_changed(${SITE}/messages-${language}.js "${script}")
endforeach()
