# The Windows build's dependencies. Debian ships no MinGW builds of
# GoogleTest, OpenSSL or Expat: GoogleTest is built here from the sources
# Debian ships with it, Expat from Debian's source package (fetched by
# scripts/expat-source), nlohmann-json is headers only, and MD5 comes from the
# Windows CryptoAPI in the Win32 backend.

# Static C and C++ runtimes and winpthreads, so that each program is one file.
add_link_options(-static -static-libgcc -static-libstdc++)

# nlohmann-json: the headers alone, copied away from the build machine's own
# include directory so that its C library headers stay out of the way.
set(corvane_json_include ${CMAKE_BINARY_DIR}/third_party/include)
file(COPY /usr/include/nlohmann DESTINATION ${corvane_json_include})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${corvane_json_include})

# Expat, static, in two builds as on Debian: XML_Char a byte (libexpat, the
# wrapper's) and a 16-bit unit (libexpatw, the plug-in's). Built once, when
# the build directory is configured, with this toolchain.
set(CORVANE_EXPAT_SOURCE "" CACHE PATH "Expat's CMake project (scripts/expat-source prints it)")
if(NOT EXISTS "${CORVANE_EXPAT_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "The Windows build needs Expat's sources: -DCORVANE_EXPAT_SOURCE=$(scripts/expat-source)")
endif()
function(corvane_build_expat char_type library)
  set(prefix ${CMAKE_BINARY_DIR}/third_party/expat-${char_type})
  set(file ${prefix}/lib/${library})
  if(NOT EXISTS ${file})
    set(work ${CMAKE_BINARY_DIR}/third_party/expat-${char_type}-build)
    execute_process(
      COMMAND ${CMAKE_COMMAND} -S ${CORVANE_EXPAT_SOURCE} -B ${work} -G ${CMAKE_GENERATOR}
              -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw64.cmake
              -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=${prefix} -DCMAKE_INSTALL_LIBDIR=lib
              -DEXPAT_CHAR_TYPE=${char_type} -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF
              -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF
              -DEXPAT_BUILD_PKGCONFIG=OFF
      OUTPUT_QUIET RESULT_VARIABLE configured)
    if(configured EQUAL 0)
      # Debian's backported fixes test XML_DTD's value ("#if XML_DTD == 1",
      # as its own build defines it), which the CMake configuration defines
      # empty.
      file(READ ${work}/expat_config.h config)
      string(REPLACE "#define XML_DTD\n" "#define XML_DTD 1\n" config "${config}")
      file(WRITE ${work}/expat_config.h "${config}")
      execute_process(COMMAND ${CMAKE_COMMAND} --build ${work} --target install OUTPUT_QUIET RESULT_VARIABLE built)
    endif()
    if(NOT configured EQUAL 0 OR NOT built EQUAL 0 OR NOT EXISTS ${file})
      message(FATAL_ERROR "Expat (${char_type}) could not be built for Windows: see ${work}")
    endif()
  endif()
  set(CORVANE_EXPAT_INCLUDE ${prefix}/include PARENT_SCOPE)
  set(CORVANE_EXPAT_FILE ${file} PARENT_SCOPE)
endfunction()
corvane_build_expat(char libexpat.a)
# What find_package(EXPAT) finds (the wrapper's).
set(EXPAT_INCLUDE_DIR ${CORVANE_EXPAT_INCLUDE} CACHE PATH "" FORCE)
set(EXPAT_LIBRARY ${CORVANE_EXPAT_FILE} CACHE FILEPATH "" FORCE)
corvane_build_expat(ushort libexpatw.a)
# What the plug-in's own lookup finds.
set(CORVANE_EXPAT_INCLUDE_DIR ${CORVANE_EXPAT_INCLUDE} CACHE PATH "" FORCE)
set(CORVANE_EXPATW_LIBRARY ${CORVANE_EXPAT_FILE} CACHE FILEPATH "" FORCE)
# The static library's declarations, not a DLL's imports.
add_compile_definitions(XML_STATIC)

# GoogleTest from Debian's source package (it names its targets GTest::*),
# built with this toolchain; its own
# code is not held to the project's warnings.
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/third_party/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

# corvane_version_resource(TARGET VERSION DESCRIPTION): a VERSIONINFO
# resource carrying VERSION ("4.0.593" or "4.0.593.0") in the program file.
function(corvane_version_resource target version description)
  string(REPLACE "." ";" parts "${version}")
  list(LENGTH parts count)
  while(count LESS 4)
    list(APPEND parts 0)
    list(LENGTH parts count)
  endwhile()
  list(JOIN parts "," version_commas)
  list(JOIN parts "." version_dots)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(file_type VFT_DLL)
    set(suffix ".dll")
  else()
    set(file_type VFT_APP)
    set(suffix ".exe")
  endif()
  set(original_name "${target}${suffix}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version_resource.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# POSIX sources (foo_posix.cpp beside foo_win32.cpp) stay out, and OpenSSL's
# MD5 has the CryptoAPI's in its place; the tests that compare with it, or
# that need the POSIX pieces, stay with the Linux build.
set(CORVANE_SKIP_SOURCES "_posix\\.cpp$|crypto_openssl|/md5_test\\.cpp$")
set(CORVANE_TEST_FILTER "^(platform_common_test|platform_win32_test|corvane_romimage_test)$")

# The C runtime's printf family with the C99 formats ("%zu", "%lld") the
# sources use, as on Linux.
add_compile_definitions(__USE_MINGW_ANSI_STDIO=1)
# The sources mark their printf-like functions with format(printf), which
# MinGW's GCC checks against the Microsoft runtime's formats, not the C99 ones
# these functions use; the Linux builds check those formats.
add_compile_options(-Wno-format)

# Every program carries the toolkit's version, the flash tool's own.
file(STRINGS ${PROJECT_SOURCE_DIR}/sw/tools/flashLoader/runstate/tool_version.h corvane_version_line
     REGEX "kToolVersion = \"[0-9.]+\"")
string(REGEX MATCH "[0-9]+(\\.[0-9]+)+" CORVANE_TOOL_VERSION "${corvane_version_line}")

# Once every area has made its targets: the version resources of the programs
# this build has.
function(corvane_windows_resources)
  set(programs
      "burnkit|Corvane adapter flash tool"
      "romimage|Corvane ROM image tool"
      "corvane-sim|Corvane simulated host tool"
      "Keelson|Corvane firmware upgrade wrapper"
      "updeck|Corvane update manager plug-in host"
      "Brightwell|Corvane update manager plug-in")
  foreach(entry IN LISTS programs)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 target)
    list(GET parts 1 description)
    if(TARGET ${target})
      corvane_version_resource(${target} "${CORVANE_TOOL_VERSION}" "${description}")
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL corvane_windows_resources)
