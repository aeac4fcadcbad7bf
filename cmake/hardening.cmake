# Optimised builds take Debian's build flags, every hardening feature on:
# stack protector, _FORTIFY_SOURCE, format security, full RELRO with
# immediate binding, PIE (the compiler's default here). Debug builds keep
# none of them: _FORTIFY_SOURCE needs optimisation, and the sanitisers and
# the fuzzer bring their own checks.
option(WOODTICK_HARDEN "Build optimised programs with Debian's hardening flags" ON)
if(NOT WOODTICK_HARDEN OR WOODTICK_SANITIZE OR WOODTICK_FUZZ OR CMAKE_BUILD_TYPE STREQUAL "Debug")
  return()
endif()

find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(WARNING "dpkg-buildflags (dpkg-dev) not found: the programs are built unhardened")
  return()
endif()

# Only the hardening and format flags: the build type keeps choosing the
# optimisation and debug information, and file names stay absolute so the
# shared compiler cache serves every checkout (the package's programs are
# stripped of them anyway).
function(woodtick_buildflags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=hardening=+all"
            "DEB_CXXFLAGS_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${kind}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-f(file|debug|macro)-prefix-map=")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()
woodtick_buildflags(CPPFLAGS cppflags)
woodtick_buildflags(CXXFLAGS cxxflags)
woodtick_buildflags(LDFLAGS ldflags)
add_compile_options(${cppflags} ${cxxflags})
add_link_options(${ldflags})

# Newer dpkg releases add these two themselves; this one does not yet.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fstack-clash-protection WOODTICK_HAS_STACK_CLASH)
if(WOODTICK_HAS_STACK_CLASH)
  add_compile_options(-fstack-clash-protection)
endif()
check_cxx_compiler_flag(-fcf-protection WOODTICK_HAS_CF_PROTECTION)
if(WOODTICK_HAS_CF_PROTECTION)
  add_compile_options(-fcf-protection)
  # Every object of ours is compiled for indirect-branch tracking and shadow
  # stacks, but the C library's start files (crti.o, crtn.o, Scrt1.o) of
  # Debian 12 carry no marking, so the linker would drop it from the program.
  # The marking is stated here; only a kernel that enforces indirect-branch
  # tracking in user space (none does yet) would hold those start files to it.
  add_link_options(-Wl,-z,ibt -Wl,-z,shstk)
endif()

# Link only the libraries a program uses: the package then depends on no
# more than that.
add_link_options(-Wl,--as-needed)
