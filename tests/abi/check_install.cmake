# Installs the build into a fresh prefix, then configures, builds and runs a
# consumer that finds the library with find_package and with pkg-config.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "${command} failed (${status}):\n${out}\n${err}")
  endif()
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB_RECURSE pc_files ${prefix}/*/QRVPFuncs.pc)
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
# The .pc file names the prefix given at configure time; --define-prefix
# takes it from where the file was installed instead.  A sanitised library
# needs a sanitised host.
run(${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${WORK_DIR}/consumer -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release -DPKG_CONFIG_ARGN=--define-prefix
    "-DCMAKE_C_FLAGS=${CONSUMER_C_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${CONSUMER_LINK_FLAGS}"
    "-DCMAKE_BUILD_RPATH=${prefix}/lib;${prefix}/lib64")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
set(ENV{QRVPFUNCS_REGISTRY} ${SETTINGS})
foreach(exe consumer_cmake consumer_pkgconfig)
  run(${WORK_DIR}/consumer/${exe})
endforeach()
