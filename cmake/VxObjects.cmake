# Objects that must reach every program linking a target.
#
#   vx_link_objects(TARGET OBJECT_LIBRARY)
#
# A static library's member is linked only for a symbol the program needs;
# resource objects and the wraps of the runtime's throw and catch define
# none, so they travel as object files on TARGET's link interface. CMake
# links an object library's objects only into targets that name it
# directly, hence the files themselves: in the build tree the objects as
# built, in the installed package the copies installed under
# lib/tarvexlog/OBJECT_LIBRARY/ (named as CMake names objects: source file
# name plus the object extension).
include_guard(GLOBAL)

function(vx_link_objects target objects)
  get_target_property(sources ${objects} SOURCES)
  set(installed "")
  foreach(source IN LISTS sources)
    get_filename_component(name ${source} NAME)
    if(name MATCHES "\\.rc$")
      set(extension ${CMAKE_RC_OUTPUT_EXTENSION})
    else()
      set(extension ${CMAKE_CXX_OUTPUT_EXTENSION})
    endif()
    list(APPEND installed "$<INSTALL_INTERFACE:$<INSTALL_PREFIX>/lib/tarvexlog/${objects}/${name}${extension}>")
  endforeach()
  target_link_libraries(${target} INTERFACE "$<BUILD_INTERFACE:$<TARGET_OBJECTS:${objects}>>" ${installed})
  install(FILES $<TARGET_OBJECTS:${objects}> DESTINATION lib/tarvexlog/${objects})
endfunction()
