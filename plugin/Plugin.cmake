# The plug-in: one loadable module exporting EntryPointFunc alone, and its
# PiPL resource bytes beside it.

set(kestrow_plugin_sources
  entry/About.cpp
  entry/EntryPoint.cpp
  entry/GlobalSetup.cpp
  entry/SequenceData.cpp
  params/ParamsSetup.cpp
  params/QueryDynamicFlags.cpp
  params/UpdateParameterUI.cpp
  params/UserChangedParam.cpp
  render/Coverage.cpp
  render/FillSettings.cpp
  render/PreRender.cpp
  render/ActuallyRender.cpp
  render/SmartRender.cpp
  resources/Kestrow_Strings.cpp
  util/AEGP_SuiteHandler.cpp
  util/Rect.cpp)
list(TRANSFORM kestrow_plugin_sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)

add_library(Kestrow MODULE ${kestrow_plugin_sources})
set_target_properties(Kestrow PROPERTIES
  PREFIX ""
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
if(WIN32)
  set_target_properties(Kestrow PROPERTIES SUFFIX ".aex")
endif()
target_include_directories(Kestrow PRIVATE ${PROJECT_SOURCE_DIR}/plugin)
target_link_libraries(Kestrow PRIVATE kestrow_matte kestrow_hostapi)
kestrow_target_warnings(Kestrow)

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  set(kestrow_exports ${CMAKE_CURRENT_LIST_DIR}/resources/Kestrow.map)
  target_link_options(Kestrow PRIVATE
    "LINKER:--version-script=${kestrow_exports}"
    "LINKER:--no-undefined"
    "LINKER:-z,defs")
  set_property(TARGET Kestrow APPEND PROPERTY LINK_DEPENDS ${kestrow_exports})
endif()

# The PiPL generator runs at build time; when cross-compiling CMake runs it
# through the target's CROSSCOMPILING_EMULATOR.
add_executable(kestrow_pipl_gen
  ${CMAKE_CURRENT_LIST_DIR}/resources/pipl/PiPLGen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/resources/pipl/PiPLLayout.cpp)
target_include_directories(kestrow_pipl_gen PRIVATE ${PROJECT_SOURCE_DIR}/plugin)
target_link_libraries(kestrow_pipl_gen PRIVATE kestrow_hostapi)
kestrow_target_warnings(kestrow_pipl_gen)

set(KESTROW_PIPL_FILE ${CMAKE_BINARY_DIR}/bin/Kestrow.pipl)
add_custom_command(
  OUTPUT ${KESTROW_PIPL_FILE}
  COMMAND kestrow_pipl_gen ${KESTROW_PIPL_FILE}
  DEPENDS kestrow_pipl_gen
  COMMENT "Writing the PiPL resource Kestrow.pipl"
  VERBATIM)
add_custom_target(kestrow_pipl DEPENDS ${KESTROW_PIPL_FILE})
add_dependencies(Kestrow kestrow_pipl)

if(WIN32)
  # The PiPL goes into the DLL as a resource. windres runs as a plain
  # command: the project's compile options are for the C++ compiler only.
  find_program(KESTROW_WINDRES NAMES ${CMAKE_RC_COMPILER} x86_64-w64-mingw32-windres windres
               REQUIRED)
  set(kestrow_rc ${CMAKE_CURRENT_BINARY_DIR}/Kestrow.rc)
  set(kestrow_rc_object ${CMAKE_CURRENT_BINARY_DIR}/Kestrow_rc.obj)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/resources/Kestrow.rc.in ${kestrow_rc} @ONLY)
  add_custom_command(
    OUTPUT ${kestrow_rc_object}
    COMMAND ${KESTROW_WINDRES} --input-format=rc --output-format=coff
            -i ${kestrow_rc} -o ${kestrow_rc_object}
    DEPENDS ${kestrow_rc} ${KESTROW_PIPL_FILE}
    COMMENT "Compiling the PiPL resource into Kestrow_rc.obj"
    VERBATIM)
  target_sources(Kestrow PRIVATE ${kestrow_rc_object})
  # EntryPointFunc is the one dllexport, so the linker exports nothing
  # else; the runtimes are linked in so that only system DLLs are imported.
  target_link_options(Kestrow PRIVATE -static)
endif()
