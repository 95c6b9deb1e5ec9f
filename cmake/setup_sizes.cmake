# Prints the sizes of Korvel.exe and of KorvelSetup.exe, which carries it, and what the installer adds to it.
#   cmake -DPROGRAM=<Korvel.exe> -DSETUP=<KorvelSetup.exe> [-DLIMIT=<bytes>] -P setup_sizes.cmake
# With LIMIT, fails when the installer adds more than that many bytes.
file(SIZE "${PROGRAM}" program_size)
file(SIZE "${SETUP}" setup_size)
math(EXPR added "${setup_size} - ${program_size}")
message(STATUS "Korvel.exe: ${program_size} bytes; KorvelSetup.exe: ${setup_size} bytes (the installer adds ${added})")
if(DEFINED LIMIT AND added GREATER LIMIT)
  message(FATAL_ERROR "KorvelSetup.exe adds ${added} bytes to the Korvel.exe it carries, more than ${LIMIT}")
endif()
