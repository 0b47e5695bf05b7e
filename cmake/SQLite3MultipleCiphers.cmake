# SQLite3 Multiple Ciphers: SQLite with page encryption (sqlite3_key), compiled
# into libtessin from its amalgamation.
#
# The amalgamation comes from the npm package better-sqlite3-multiple-ciphers,
# pinned by version and by the registry's sha512 integrity. `npm pack` fetches
# the tarball once into the ignored .cache/ folder at the repository root; every
# later configure (of any build folder) checks the cached tarball against the
# pinned integrity and reuses it without touching the network.
#
# Defines the object library `tolvane_sqlite3mc` and the variable
# TOLVANE_SQLITE3MC_INCLUDE_DIR (the folder holding sqlite3.h).

set(TOLVANE_SQLITE3MC_PACKAGE "better-sqlite3-multiple-ciphers")
# 13.0.3 carries SQLite3 Multiple Ciphers 2.4.0 on SQLite 3.53.4.
set(TOLVANE_SQLITE3MC_VERSION "13.0.3")
set(TOLVANE_SQLITE3MC_INTEGRITY
    "sha512-UYabM82r1J84TLWc/SszoHs6XopWpl/2HCg3Nui1JUaFXg/VLswzkPowYiRhK/4CftI8dgtikwyZQecMldrGxQ==")

set(_sqlite3mc_cache "${PROJECT_SOURCE_DIR}/.cache/sqlite3mc")
set(_sqlite3mc_tarball "${_sqlite3mc_cache}/${TOLVANE_SQLITE3MC_PACKAGE}-${TOLVANE_SQLITE3MC_VERSION}.tgz")
set(_sqlite3mc_sources "${_sqlite3mc_cache}/${TOLVANE_SQLITE3MC_VERSION}")

# npm states integrity as base64; CMake hashes in hexadecimal. Converts the
# base64 text in `base64` to lower-case hexadecimal in `out_var`.
function(_tolvane_base64_to_hex base64 out_var)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  set(digits "0123456789abcdef")
  string(REGEX REPLACE "=+$" "" base64 "${base64}")
  string(LENGTH "${base64}" length)
  set(hex "")
  set(bits 0)
  set(bit_count 0)
  math(EXPR last "${length} - 1")
  foreach(index RANGE 0 ${last})
    string(SUBSTRING "${base64}" ${index} 1 char)
    string(FIND "${alphabet}" "${char}" sextet)
    if(sextet EQUAL -1)
      message(FATAL_ERROR "SQLite3 Multiple Ciphers: the pinned integrity is not valid base64")
    endif()
    math(EXPR bits "((${bits} << 6) | ${sextet}) & 4095")
    math(EXPR bit_count "${bit_count} + 6")
    if(bit_count GREATER_EQUAL 8)
      math(EXPR bit_count "${bit_count} - 8")
      math(EXPR byte "(${bits} >> ${bit_count}) & 255")
      math(EXPR high "${byte} >> 4")
      math(EXPR low "${byte} & 15")
      string(SUBSTRING "${digits}" ${high} 1 high_digit)
      string(SUBSTRING "${digits}" ${low} 1 low_digit)
      string(APPEND hex "${high_digit}${low_digit}")
    endif()
  endforeach()
  set(${out_var} "${hex}" PARENT_SCOPE)
endfunction()

string(REGEX REPLACE "^sha512-" "" _sqlite3mc_base64 "${TOLVANE_SQLITE3MC_INTEGRITY}")
_tolvane_base64_to_hex("${_sqlite3mc_base64}" _sqlite3mc_expected_sha512)

# True in `out_var` when `file` exists and matches the pinned integrity.
function(_tolvane_sqlite3mc_verified file out_var)
  set(${out_var} FALSE PARENT_SCOPE)
  if(EXISTS "${file}")
    file(SHA512 "${file}" actual)
    if(actual STREQUAL _sqlite3mc_expected_sha512)
      set(${out_var} TRUE PARENT_SCOPE)
    endif()
  endif()
endfunction()

file(MAKE_DIRECTORY "${_sqlite3mc_cache}")
# Build folders configured at the same time share the cache.
file(LOCK "${_sqlite3mc_cache}/.lock" GUARD FILE TIMEOUT 900
     RESULT_VARIABLE _sqlite3mc_lock)
if(NOT _sqlite3mc_lock STREQUAL "0")
  message(FATAL_ERROR "SQLite3 Multiple Ciphers: cannot lock the cache folder ${_sqlite3mc_cache}: ${_sqlite3mc_lock}")
endif()

_tolvane_sqlite3mc_verified("${_sqlite3mc_tarball}" _sqlite3mc_cached)
if(NOT _sqlite3mc_cached)
  if(EXISTS "${_sqlite3mc_tarball}")
    message(STATUS "SQLite3 Multiple Ciphers: the cached tarball does not match its integrity; fetching it again")
    file(REMOVE "${_sqlite3mc_tarball}")
  endif()
  find_program(TOLVANE_NPM npm)
  if(NOT TOLVANE_NPM)
    message(FATAL_ERROR
      "SQLite3 Multiple Ciphers: npm is needed to fetch ${TOLVANE_SQLITE3MC_PACKAGE}@${TOLVANE_SQLITE3MC_VERSION} "
      "and nothing is cached in ${_sqlite3mc_cache}. Run scripts/bootstrap (it installs npm), or place the "
      "tarball there as ${_sqlite3mc_tarball}.")
  endif()
  message(STATUS "SQLite3 Multiple Ciphers: fetching ${TOLVANE_SQLITE3MC_PACKAGE}@${TOLVANE_SQLITE3MC_VERSION} with npm pack")
  # Fetch into a scratch folder so an interrupted download never looks cached.
  set(_sqlite3mc_download "${_sqlite3mc_cache}/download")
  file(REMOVE_RECURSE "${_sqlite3mc_download}")
  file(MAKE_DIRECTORY "${_sqlite3mc_download}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env npm_config_update_notifier=false npm_config_fund=false
            "${TOLVANE_NPM}" pack "${TOLVANE_SQLITE3MC_PACKAGE}@${TOLVANE_SQLITE3MC_VERSION}"
            --pack-destination "${_sqlite3mc_download}"
            # npm's own cache first; without a network, fail within seconds
            # instead of retrying for minutes.
            --prefer-offline --fetch-retries=1 --fetch-retry-mintimeout=2000 --fetch-retry-maxtimeout=10000
    WORKING_DIRECTORY "${_sqlite3mc_download}"
    RESULT_VARIABLE _sqlite3mc_npm_result
    OUTPUT_VARIABLE _sqlite3mc_npm_output
    ERROR_VARIABLE _sqlite3mc_npm_output
    TIMEOUT 600)
  set(_sqlite3mc_fetched "${_sqlite3mc_download}/${TOLVANE_SQLITE3MC_PACKAGE}-${TOLVANE_SQLITE3MC_VERSION}.tgz")
  if(NOT _sqlite3mc_npm_result STREQUAL "0" OR NOT EXISTS "${_sqlite3mc_fetched}")
    file(REMOVE_RECURSE "${_sqlite3mc_download}")
    message(FATAL_ERROR
      "SQLite3 Multiple Ciphers: npm pack ${TOLVANE_SQLITE3MC_PACKAGE}@${TOLVANE_SQLITE3MC_VERSION} failed "
      "(${_sqlite3mc_npm_result}) and nothing is cached in ${_sqlite3mc_cache}. Is the npm registry reachable?\n"
      "${_sqlite3mc_npm_output}")
  endif()
  _tolvane_sqlite3mc_verified("${_sqlite3mc_fetched}" _sqlite3mc_fetched_ok)
  if(NOT _sqlite3mc_fetched_ok)
    file(SHA512 "${_sqlite3mc_fetched}" _sqlite3mc_actual)
    file(REMOVE_RECURSE "${_sqlite3mc_download}")
    message(FATAL_ERROR
      "SQLite3 Multiple Ciphers: ${TOLVANE_SQLITE3MC_PACKAGE}-${TOLVANE_SQLITE3MC_VERSION}.tgz does not match "
      "its pinned integrity.\n  expected sha512 ${_sqlite3mc_expected_sha512}\n  got      sha512 ${_sqlite3mc_actual}\n"
      "The tarball was discarded; nothing was built from it.")
  endif()
  file(RENAME "${_sqlite3mc_fetched}" "${_sqlite3mc_tarball}")
  file(REMOVE_RECURSE "${_sqlite3mc_download}")
  # Sources extracted from an older tarball are stale.
  file(REMOVE_RECURSE "${_sqlite3mc_sources}")
endif()

# Extracted once per verified tarball; the stamp is written last, so a partial
# extraction is redone.
set(_sqlite3mc_stamp "${_sqlite3mc_sources}/.extracted-${_sqlite3mc_expected_sha512}")
if(NOT EXISTS "${_sqlite3mc_stamp}")
  file(REMOVE_RECURSE "${_sqlite3mc_sources}")
  set(_sqlite3mc_unpack "${_sqlite3mc_cache}/unpack")
  file(REMOVE_RECURSE "${_sqlite3mc_unpack}")
  file(ARCHIVE_EXTRACT INPUT "${_sqlite3mc_tarball}" DESTINATION "${_sqlite3mc_unpack}"
       PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
  foreach(_sqlite3mc_file sqlite3.c sqlite3.h)
    if(NOT EXISTS "${_sqlite3mc_unpack}/package/deps/sqlite3/${_sqlite3mc_file}")
      file(REMOVE_RECURSE "${_sqlite3mc_unpack}")
      message(FATAL_ERROR "SQLite3 Multiple Ciphers: package/deps/sqlite3/${_sqlite3mc_file} is missing from ${_sqlite3mc_tarball}")
    endif()
  endforeach()
  file(RENAME "${_sqlite3mc_unpack}/package/deps/sqlite3" "${_sqlite3mc_sources}")
  file(REMOVE_RECURSE "${_sqlite3mc_unpack}")
  file(TOUCH "${_sqlite3mc_stamp}")
endif()

file(LOCK "${_sqlite3mc_cache}/.lock" RELEASE)

set(TOLVANE_SQLITE3MC_INCLUDE_DIR "${_sqlite3mc_sources}")

# Third-party code: compiled optimised in every build type, without our warning
# flags and without the sanitizers, as a position-independent object library
# that libtessin links in. The global hidden visibility keeps its symbols inside
# libtessin, so a host that also loads a system SQLite cannot take them over.
add_library(tolvane_sqlite3mc OBJECT "${_sqlite3mc_sources}/sqlite3.c")
set_target_properties(tolvane_sqlite3mc PROPERTIES POSITION_INDEPENDENT_CODE ON C_VISIBILITY_PRESET hidden)
target_include_directories(tolvane_sqlite3mc SYSTEM INTERFACE "${_sqlite3mc_sources}")
target_compile_options(tolvane_sqlite3mc PRIVATE -O2 -w)
target_compile_definitions(tolvane_sqlite3mc PRIVATE
  # Serialized threading: a connection calls one database handle from several
  # worker threads at once and takes no lock of its own; the engine's per-handle
  # mutex serialises those calls.
  SQLITE_THREADSAFE=1
  # Full-text search tables (CREATE VIRTUAL TABLE ... USING fts5) in user databases.
  SQLITE_ENABLE_FTS5
  # R*Tree tables for spatial indexes in user databases.
  SQLITE_ENABLE_RTREE
  # The SQL math functions (sqrt, pow, ln, ...) that user queries expect.
  SQLITE_ENABLE_MATH_FUNCTIONS
  # sqlite3_column_database_name/table_name/origin_name and
  # sqlite3_table_column_metadata: a result column can be traced to its table.
  SQLITE_ENABLE_COLUMN_METADATA
  # The dbstat virtual table: page and space use per table and index.
  SQLITE_ENABLE_DBSTAT_VTAB
  # Deliberately not set: SQLITE_DQS (double-quoted string literals stay
  # accepted) and SQLITE_DEFAULT_FOREIGN_KEYS (enforcement stays off until
  # PRAGMA foreign_keys=ON). Both keep stock SQLite behaviour, which the SQL
  # this system writes and reads relies on.
)
target_link_libraries(tolvane_sqlite3mc PUBLIC Threads::Threads ${CMAKE_DL_LIBS} m)
