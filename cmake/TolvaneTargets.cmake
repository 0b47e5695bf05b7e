# AddressSanitizer and UndefinedBehaviorSanitizer for our own targets; CI builds
# with them. TOLVANE_SANITIZE=thread builds with ThreadSanitizer instead (it
# cannot be combined with AddressSanitizer); CI runs the tests that use threads
# under it from a second build tree. Applied per target so third-party objects
# keep their optimised build. The fuzz build also gives our code libFuzzer's
# coverage instrumentation, so the fuzzers are guided by the parsers' branches
# and not only their own.
function(tolvane_target_sanitizers target)
  if(TOLVANE_BUILD_FUZZERS)
    target_compile_options(${target} PRIVATE
      -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  elseif(TOLVANE_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  elseif(TOLVANE_SANITIZE)
    target_compile_options(${target} PRIVATE
      -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# GLib's own log lines of our code carry this domain.
function(tolvane_target_log_domain target)
  target_compile_definitions(${target} PRIVATE G_LOG_DOMAIN="tolvane")
endfunction()

# Every target of ours: warnings as errors, the sanitizers when asked for, the
# log domain, and includes written from the repository root.
function(tolvane_target_defaults target)
  tolvane_target_warnings(${target})
  tolvane_target_sanitizers(${target})
  tolvane_target_log_domain(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()


# Our shared libraries bind their calls into themselves at link time: nobody
# interposes them, and every start of the command then skips about a thousand
# symbol look-ups in the dynamic loader.
function(tolvane_shared_library_linking target)
  target_link_options(${target} PRIVATE -Wl,-O1 -Wl,-Bsymbolic-functions)
endfunction()
