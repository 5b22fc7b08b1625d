# Generates the Europe/Berlin offset table from the system tzdata and compiles it into `zelk`.
# The table is a build product: each build takes the zone from the machine that builds it, and
# the library reads no files at run time.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(QUORVANE_BERLIN_TZIF "/usr/share/zoneinfo/Europe/Berlin"
    CACHE FILEPATH "TZif file of Europe/Berlin from which the zone table is generated")

set(berlin_zone_header ${PROJECT_BINARY_DIR}/generated/zelk/fristen/berlin_zone_data.hpp)
set(berlin_zone_generator ${PROJECT_SOURCE_DIR}/tools/gen_berlin_zone.py)

add_custom_command(
  OUTPUT ${berlin_zone_header}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/generated/zelk/fristen
  COMMAND Python3::Interpreter ${berlin_zone_generator}
          --input ${QUORVANE_BERLIN_TZIF} --output ${berlin_zone_header}
  DEPENDS ${berlin_zone_generator} ${QUORVANE_BERLIN_TZIF}
  COMMENT "Generating the Europe/Berlin zone table"
  VERBATIM)

target_sources(zelk PRIVATE ${berlin_zone_header})
