# Every text of the window has its Czech translation, and every plural its English forms:
# lupdate, run on the window's sources into copies of the .ts files, marks none unfinished.
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DWORK=... -P CheckTranslations.cmake
file(GLOB sources ${SOURCE_DIR}/src/ui/*.cpp ${SOURCE_DIR}/src/ui/widgets/*.cpp)
set(missing "")
foreach(language cs en)
  set(ts ${WORK}/isp89_${language}.ts)
  file(COPY ${SOURCE_DIR}/src/ui/translations/isp89_${language}.ts DESTINATION ${WORK})
  set(options -no-obsolete -locations none)
  if(language STREQUAL "en")
    list(APPEND options -pluralonly)
  endif()
  execute_process(COMMAND ${LUPDATE} -silent -I ${SOURCE_DIR}/src ${sources} -ts ${ts} ${options}
                  RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "lupdate failed on isp89_${language}.ts: ${errors}")
  endif()
  file(READ ${ts} text)
  string(REGEX MATCHALL "<source>[^<]*</source>[ \n]*<translation type=\"unfinished\""
         unfinished "${text}")
  foreach(entry ${unfinished})
    string(REGEX REPLACE "<source>([^<]*)</source>.*" "\\1" source "${entry}")
    string(APPEND missing "\n  ${language}: ${source}")
  endforeach()
endforeach()
if(missing)
  message(FATAL_ERROR "Texts without a translation (run the update_translations target, then "
                      "translate them in src/ui/translations):${missing}")
endif()
