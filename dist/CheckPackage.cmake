# Builds the Debian package of the build BUILD_DIR into the scratch folder OUT and runs LINTIAN on
# it: any error fails; warnings are shown.
#   cmake -DBUILD_DIR=... -DOUT=... -DLINTIAN=... -P CheckPackage.cmake

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND cpack -G DEB -B "${OUT}" --config "${BUILD_DIR}/CPackConfig.cmake"
                WORKING_DIRECTORY "${BUILD_DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs "${OUT}/*.deb")
if(NOT rc EQUAL 0 OR NOT debs)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}${err}")
endif()
execute_process(COMMAND "${LINTIAN}" --no-tag-display-limit ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian ${debs}:\n${out}${err}")
if(out MATCHES "(^|\n)E: ")
  message(FATAL_ERROR "lintian finds errors in the package")
endif()
file(REMOVE_RECURSE "${OUT}")
