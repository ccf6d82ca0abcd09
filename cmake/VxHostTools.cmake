# Brings the host tools of the host build in BINARY_DIR up to date, after
# configuring that build with the "host" preset when it has never been
# configured. Run by the Windows build (cmake -P, see VxEmbedData.cmake).
if(NOT EXISTS ${BINARY_DIR}/CMakeCache.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} --preset host WORKING_DIRECTORY ${SOURCE_DIR} COMMAND_ERROR_IS_FATAL ANY)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target tarvex --parallel 2 COMMAND_ERROR_IS_FATAL ANY)
