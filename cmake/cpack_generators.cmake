# Settings of one CPack generator, read when it runs. The zip holds one top folder named as
# the zip itself (zarneth-VERSION-win64/), so that unpacking it puts nothing loose into the
# current folder. The installer installs as it always did.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
