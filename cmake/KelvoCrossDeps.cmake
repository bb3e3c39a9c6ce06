# Libraries of the cross build. The header-only ones come from the build machine's Debian packages,
# through a folder that holds nothing but their headers (the host's /usr/include as a whole would
# shadow the target's C library). GoogleTest is built from Debian's source package.

function(kelvo_host_header_library target header_dir)
  set(root ${CMAKE_BINARY_DIR}/host-headers/${target})
  string(REPLACE "::" "_" root ${root})
  get_filename_component(name ${header_dir} NAME)
  if(NOT EXISTS ${header_dir})
    message(FATAL_ERROR "${target}: ${header_dir} is missing (install the Debian package)")
  endif()
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${header_dir} ${root}/${name} SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${root})
endfunction()

kelvo_host_header_library(CLI11::CLI11 /usr/include/CLI)
kelvo_host_header_library(nlohmann_json::nlohmann_json /usr/include/nlohmann)

if(KELVO_BUILD_TESTS)
  set(KELVO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian: googletest)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${KELVO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(lib gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${lib})  # newer GoogleTest defines them itself
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
endif()
