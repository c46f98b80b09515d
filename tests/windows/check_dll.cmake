# Run as a test: cmake -DOBJDUMP=... -DDLL=... -DEXPORTS_FILE=... [-DALLOWED_EXTRA=a.dll] -P check_dll.cmake
# The DLL's export table must hold exactly the names of the export list, and
# the DLL may import only from the system's own DLLs (the C++ runtime is
# linked in).
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
string(REPLACE "\n" ";" lines "${dump}")

set(exported "")
set(imports "")
set(in_names FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
    set(in_names TRUE)
  elseif(in_names AND line MATCHES "^[ \t]*\\[ *[0-9]+\\] +([^ \t]+)")
    list(APPEND exported "${CMAKE_MATCH_1}")
  elseif(in_names)
    set(in_names FALSE)
  endif()
  if(line MATCHES "DLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll_name)
    list(APPEND imports "${dll_name}")
  endif()
endforeach()

file(STRINGS ${EXPORTS_FILE} listed_lines)
set(listed "")
foreach(line IN LISTS listed_lines)
  string(STRIP "${line}" line)
  if(NOT line STREQUAL "" AND NOT line MATCHES "^#")
    list(APPEND listed "${line}")
  endif()
endforeach()

set(missing ${listed})
list(REMOVE_ITEM missing ${exported})
set(extra ${exported})
list(REMOVE_ITEM extra ${listed})
list(LENGTH exported exported_count)
list(LENGTH listed listed_count)

set(allowed kernel32.dll advapi32.dll msvcrt.dll user32.dll ${ALLOWED_EXTRA})
set(foreign ${imports})
if(foreign)
  list(REMOVE_ITEM foreign ${allowed})
endif()

if(missing OR extra OR foreign OR NOT exported_count EQUAL listed_count)
  message(FATAL_ERROR "QRVPFuncs.dll exports ${exported_count} names, the list has ${listed_count}\n"
                      "  missing: ${missing}\n  not in the list: ${extra}\n  imports beyond the system's: ${foreign}")
endif()
message(STATUS "QRVPFuncs.dll exports exactly the ${listed_count} listed names; imports: ${imports}")
