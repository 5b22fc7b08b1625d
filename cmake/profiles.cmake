# Embeds the built-in profile documents (profiles/*.json) into `edi_energy`: a generated source
# whose asm block .incbin's every document, with the table of pairs and the statics, and a
# generated header that declares the statics. Editing, adding or removing a document rebuilds.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

file(GLOB profile_documents CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/profiles/*.json)
list(SORT profile_documents)

set(catalogue_generated_dir ${PROJECT_BINARY_DIR}/generated/edi_energy/catalogue)
set(catalogue_source ${catalogue_generated_dir}/builtin.cpp)
set(catalogue_header ${catalogue_generated_dir}/statics.hpp)
set(catalogue_generator ${PROJECT_SOURCE_DIR}/tools/gen_catalogue_table.py)

add_custom_command(
  OUTPUT ${catalogue_source} ${catalogue_header}
  COMMAND Python3::Interpreter ${catalogue_generator}
          --profiles ${PROJECT_SOURCE_DIR}/profiles
          --source ${catalogue_source} --header ${catalogue_header}
  DEPENDS ${catalogue_generator} ${profile_documents}
  COMMENT "Generating the built-in profile catalogue"
  VERBATIM)

target_sources(edi_energy PRIVATE ${catalogue_source} ${catalogue_header})
# The assembler reads the documents itself; the compiler's dependency scan does not see them.
set_source_files_properties(${catalogue_source} PROPERTIES OBJECT_DEPENDS "${profile_documents}")
