# The layers and which may include which, held at configure time: a quoted
# include names a public header (no folder: QRVPFuncs.h, QRVPFit.h) or a file
# of an allowed folder.  The library's own folders are its business; around
# it, fit/ sees only the public headers, fleet/ the public headers, and each
# front-end (tools/, python/) fleet/ and nothing of the other front-end.
function(qrvp_check_layer folder)
  set(allowed ${folder} ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${folder}/*.h ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/build/")
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"[^\"]*/[^\"]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^/\"]+)/.*$" "\\1" top "${line}")
      if(NOT top IN_LIST allowed)
        file(RELATIVE_PATH where ${PROJECT_SOURCE_DIR} ${source})
        message(FATAL_ERROR "${where}: ${line}: ${folder}/ may include only the public headers and "
                            "the folders ${allowed}")
      endif()
    endforeach()
  endforeach()
endfunction()

qrvp_check_layer(fit)
qrvp_check_layer(fleet)
qrvp_check_layer(tools fleet)
qrvp_check_layer(python fleet)
