# Compares the shared library's defined dynamic symbols with the export list.
# Usage: cmake -DNM=nm -DLIBRARY=libQRVPFuncs.so -DEXPORTS=QRVPFuncs.exports -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE table RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}: ${errors}")
endif()

set(actual "")
string(REPLACE "\n" ";" rows "${table}")
foreach(row IN LISTS rows)
  # "<address> <type> <name>[@<version>]"; version nodes (type A) are no symbols.
  if(row MATCHES "^[0-9a-fA-F]* *([A-Za-z]) ([^@ ]+)")
    if(NOT CMAKE_MATCH_1 STREQUAL "A")
      list(APPEND actual "${CMAKE_MATCH_2}")
    endif()
  endif()
endforeach()

set(expected "")
file(STRINGS ${EXPORTS} lines)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(NOT line STREQUAL "" AND NOT line MATCHES "^#")
    list(APPEND expected "${line}")
  endif()
endforeach()

list(REMOVE_DUPLICATES actual)
set(missing ${expected})
list(REMOVE_ITEM missing ${actual})
set(extra ${actual})
list(REMOVE_ITEM extra ${expected})
list(LENGTH missing missingCount)
list(LENGTH extra extraCount)
list(LENGTH expected expectedCount)
if(missingCount OR extraCount)
  list(JOIN missing "\n    " missingText)
  list(JOIN extra "\n    " extraText)
  message(FATAL_ERROR "The library's exports differ from ${EXPORTS}:\n"
    "  missing (${missingCount} listed but not exported):\n    ${missingText}\n"
    "  extra (${extraCount} exported but not listed):\n    ${extraText}\n")
endif()
message(STATUS "All ${expectedCount} listed names are exported, and nothing else.")
