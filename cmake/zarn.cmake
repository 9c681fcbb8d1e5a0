# Helpers shared by every folder's CMakeLists.txt.
#
# zarn_test(NAME <name> SOURCES <files...> [LIBS <libs...>] [NATIVE] [WINE]
#           [TIMEOUT <s>] [LOCK <resource...>] [LABELS <labels...>] [PEERS pyftpd scripted] [SKIP])
#   One GoogleTest program, one ctest entry. NATIVE: built and run in the native
#   build (ASan/UBSan). WINE: built and run in the x86_64 build under wine64.
#   Both may be given. SKIP: a case that GoogleTest skips (what the system lacks)
#   reports the test as skipped, not passed.
function(zarn_test)
  cmake_parse_arguments(T "NATIVE;WINE;SKIP" "NAME;TIMEOUT" "SOURCES;LIBS;LOCK;LABELS;PEERS" ${ARGN})
  if(NOT ZARN_TESTS)
    return()
  endif()
  if(ZARN_WINDOWS)
    if(NOT T_WINE)
      return()
    endif()
  elseif(NOT T_NATIVE)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} zarntestsupport gtest gtest_main)
  if(ZARN_WINDOWS)
    target_link_options(${T_NAME} PRIVATE -static)
    set_target_properties(${T_NAME} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  # ctest names say which build a test runs in: native.x or win64.x.
  if(ZARN_WINDOWS)
    set(T_TEST win64.${T_NAME})
  else()
    set(T_TEST native.${T_NAME})
  endif()
  if(T_PEERS)
    set(peer_args)
    foreach(p ${T_PEERS})
      list(APPEND peer_args --${p})
    endforeach()
    # An explicit command gets no emulator from ctest: name it here.
    add_test(NAME ${T_TEST} COMMAND ${CMAKE_SOURCE_DIR}/tests/peers/with-peers.sh ${peer_args} --
             ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${T_NAME}>)
  else()
    add_test(NAME ${T_TEST} COMMAND ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # Under Wine the program's own limit is ZARN_TIMEOUT (scripts/wine-run.sh);
  # ctest's leaves room for the one repeat after a Wine abort.
  set(ctest_timeout ${T_TIMEOUT})
  if(ZARN_WINDOWS)
    math(EXPR ctest_timeout "2 * ${T_TIMEOUT} + 30")
  endif()
  set(test_env ZARN_TIMEOUT=${T_TIMEOUT} ZARN_TEST_NAME=${T_TEST} ZARN_SOURCE_DIR=${CMAKE_SOURCE_DIR}
      ZARN_BINARY_DIR=${CMAKE_BINARY_DIR})
  set_tests_properties(${T_TEST} PROPERTIES TIMEOUT ${ctest_timeout} ENVIRONMENT "${test_env}")
  # A program that crashed can still end with status 0 under Wine: a test
  # passes only on GoogleTest's own summary, and fails on any failed case or
  # unhandled exception whatever the status.
  set_tests_properties(${T_TEST} PROPERTIES
    PASS_REGULAR_EXPRESSION "\\[  PASSED  \\] [0-9]+ tests?\\."
    FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];Unhandled exception;ERROR: AddressSanitizer;ERROR: LeakSanitizer;runtime error: ")
  if(T_SKIP)
    set_tests_properties(${T_TEST} PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
  endif()
  # A window test in a wine lane of its own (ZARN_WINE_LANES, tests/CMakeLists.txt)
  # holds that lane's pointer, clipboard and registry, not the shared ones.
  set(lane)
  if(ZARN_WINDOWS)
    foreach(entry ${ZARN_WINE_LANES})
      if(entry MATCHES "^${T_NAME}=(.+)$")
        set(lane ${CMAKE_MATCH_1})
      endif()
    endforeach()
  endif()
  if(lane)
    list(TRANSFORM T_LOCK APPEND _${lane})
    set_property(TEST ${T_TEST} APPEND PROPERTY ENVIRONMENT ZARN_WINE_LANE=${lane})
  endif()
  if(T_LOCK)
    set_tests_properties(${T_TEST} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
    # Tests that share a lock run one after another: that chain starts first.
    if(ZARN_WINDOWS AND "${T_LOCK}" MATCHES "xvfb_pointer")
      set_tests_properties(${T_TEST} PROPERTIES COST 5000)
    endif()
  endif()
  if(ZARN_WINDOWS)
    set_property(TEST ${T_TEST} APPEND PROPERTY LABELS wine)
  else()
    set_property(TEST ${T_TEST} APPEND PROPERTY LABELS native)
  endif()
  if(T_LABELS)
    set_property(TEST ${T_TEST} APPEND PROPERTY LABELS ${T_LABELS})
  endif()
endfunction()

# zarn_fuzz(NAME <name> SOURCES <files...> [LIBS <libs...>] [CORPUS <dir>] [SECONDS <n>])
#   A libFuzzer target in the ZARN_FUZZ build, run by ctest for a bounded time
#   over its seed corpus (copied, so the tree's corpus is never written).
function(zarn_fuzz)
  cmake_parse_arguments(F "" "NAME;CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
  if(NOT ZARN_FUZZ)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  if(NOT F_SECONDS)
    set(F_SECONDS 60)
  endif()
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${F_NAME})
  add_test(NAME ${F_NAME}
    COMMAND ${CMAKE_COMMAND} -E env ZARN_FUZZ_SECONDS=${F_SECONDS}
            ${CMAKE_SOURCE_DIR}/scripts/run-fuzz.sh $<TARGET_FILE:${F_NAME}> ${work} ${F_CORPUS})
  math(EXPR limit "${F_SECONDS} + 120")
  set_tests_properties(${F_NAME} PROPERTIES TIMEOUT ${limit} LABELS fuzz)
endfunction()

# zarn_windows_only(): true in the two mingw builds.
macro(zarn_warnings_off_for_offsetof target)
  target_compile_options(${target} PRIVATE -Wno-invalid-offsetof)
endmacro()

# zarn_dll(<target> DEF <file.def> SOURCES <files...> [LIBS <libs...>])
#   A deliverable DLL whose exports are NONAME ordinals from a module-definition
#   file, and an interface target <target>_imp that imports it by ordinal.
#   i686 needs dlltool -k for that import library (the linker's own one drops the
#   stdcall decoration and then does not link); x86_64 uses the linker's.
function(zarn_dll target)
  cmake_parse_arguments(D "" "DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${D_SOURCES})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_link_libraries(${target} PRIVATE ${D_LIBS})
  target_link_options(${target} PRIVATE ${D_DEF} -Wl,--kill-at -static)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${D_DEF})
  add_library(${target}_imp INTERFACE)
  if(ZARN_WIN64)
    target_link_libraries(${target}_imp INTERFACE ${target})
  else()
    set(implib ${CMAKE_BINARY_DIR}/implib/lib${target}.a)
    add_custom_command(OUTPUT ${implib}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/implib
      COMMAND ${ZARN_TRIPLET}-dlltool -d ${D_DEF} -l ${implib} -D ${target}.dll -k
      DEPENDS ${D_DEF} VERBATIM)
    add_custom_target(${target}_implib DEPENDS ${implib})
    add_dependencies(${target} ${target}_implib)
    target_link_libraries(${target}_imp INTERFACE ${implib})
    add_dependencies(${target}_imp ${target})
  endif()
endfunction()
