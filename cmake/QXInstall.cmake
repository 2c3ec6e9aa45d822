# Installation and packaging of the shared library: the library with its SOVERSION
# links, the client's headers under include/QXScriptIndexBase/, a CMake package
# (QXScriptIndexBase::QXScriptIndexBase) and a pkg-config file. `cpack` turns the
# same install rules into Debian packages, one per component:
#   runtime      the shared object with its SOVERSION link  -> libqxscriptindexbase0
#   development  headers, the unversioned link, CMake and pkg-config files
#                                                           -> libqxscriptindexbase-dev
#   tools        qxindex, its manual page and demo data     -> qxindex
#   python       the qxscript module (with -DQX_BUILD_PYTHON=ON) -> python3-qxscript
# Runtime and development are split the usual Debian way so that a client's own
# package needs only the small runtime one.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The headers a client compiles against. They include one another by plain name, so
# they stay together in one folder; ObjectStorage.h and the implementation headers
# are the library's own and are not installed.
set(QX_PUBLIC_HEADERS
  QXScriptIndexBase.h
  QXExport.h
  QXDrawInfo.h
  ParseErrorInfo.h
  IIndexParser.h
  IIndexCalculator.h
  IIndexDataSource.h
  IndexObjCreator.h
  CParserHelper.h
  IQXGraphShapeBase.h
  IQXGraphCoordinate.h
  QXGraphInterface.h
  QXGraphSettings.h)
list(TRANSFORM QX_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/api/ OUTPUT_VARIABLE QX_PUBLIC_HEADER_PATHS)

# Installed clients include <QXScriptIndexBase/...>.
target_include_directories(QXScriptIndexBase INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)

# The same headers as a client finds them, for the test that each compiles alone.
set(QX_STAGED_INCLUDE_DIR ${PROJECT_BINARY_DIR}/staged-include)
foreach(header IN LISTS QX_PUBLIC_HEADERS)
  configure_file(api/${header} ${QX_STAGED_INCLUDE_DIR}/QXScriptIndexBase/${header} COPYONLY)
endforeach()

set(QX_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/QXScriptIndexBase)

install(TARGETS QXScriptIndexBase EXPORT QXScriptIndexBaseTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development)
install(FILES ${QX_PUBLIC_HEADER_PATHS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/QXScriptIndexBase COMPONENT development)

install(EXPORT QXScriptIndexBaseTargets
  NAMESPACE QXScriptIndexBase::
  FILE QXScriptIndexBaseTargets.cmake
  DESTINATION ${QX_INSTALL_CMAKEDIR} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QXScriptIndexBaseConfig.cmake.in
  ${PROJECT_BINARY_DIR}/QXScriptIndexBaseConfig.cmake
  INSTALL_DESTINATION ${QX_INSTALL_CMAKEDIR})
# Until the first major release every minor version may change the binary interface,
# so only the same minor version is compatible; afterwards the SOVERSION (the major
# version) carries that promise.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(QX_VERSION_COMPATIBILITY SameMinorVersion)
else()
  set(QX_VERSION_COMPATIBILITY SameMajorVersion)
endif()
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QXScriptIndexBaseConfigVersion.cmake
  COMPATIBILITY ${QX_VERSION_COMPATIBILITY})
install(FILES
  ${PROJECT_BINARY_DIR}/QXScriptIndexBaseConfig.cmake
  ${PROJECT_BINARY_DIR}/QXScriptIndexBaseConfigVersion.cmake
  DESTINATION ${QX_INSTALL_CMAKEDIR} COMPONENT development)

# The prefix is found from the file's own place (pkg-config's pcfiledir), because
# `cmake --install --prefix` and cpack choose the prefix only after configuring.
# Absolute install dirs are kept as given.
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(QX_PC_PREFIX "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH QX_PC_UP "/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/")
  string(REGEX REPLACE "/$" "" QX_PC_UP "${QX_PC_UP}")
  set(QX_PC_PREFIX "\${pcfiledir}/${QX_PC_UP}")
endif()
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(QX_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(QX_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/QXScriptIndexBase.pc.in
  ${PROJECT_BINARY_DIR}/QXScriptIndexBase.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/QXScriptIndexBase.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

# Debian packages.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qxscriptindexbase)
set(CPACK_PACKAGE_VENDOR "QXScriptIndexBase developers")
set(CPACK_PACKAGE_CONTACT "QXScriptIndexBase developers <qxscriptindexbase@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Formula engine for technical indicators and chart drawing tools")
set(CPACK_PACKAGE_DESCRIPTION
  "A shared library that a stock-charting client loads to parse and calculate indicator\n"
  "formulas over its price bars and to place chart drawing tools. It returns value series\n"
  "and drawing records; the client paints them.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libqxscriptindexbase${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libqxscriptindexbase-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
if(TARGET qxindex)
  list(APPEND CPACK_COMPONENTS_ALL tools)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME qxindex)
  set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
endif()
if(TARGET qxscript_core)
  # The module carries the library inside it, so it needs only its interpreter's
  # packages.
  list(APPEND CPACK_COMPONENTS_ALL python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-qxscript)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS "python3, python3-numpy, python3-pandas")
endif()
include(CPack)
cpack_add_component(runtime DISPLAY_NAME "Shared library")
cpack_add_component(development DISPLAY_NAME "Headers, CMake and pkg-config files" DEPENDS runtime)
cpack_add_component(tools DISPLAY_NAME "qxindex host tool")
cpack_add_component(python DISPLAY_NAME "Python module qxscript")

# The binary-interface baseline (scripts/check-abi) is read from the debug
# information of the exported functions. GCC describes an interface class in full
# only where its virtual table is emitted, which is never next to the factories, so
# the factories' units describe every class they name in full; otherwise the
# baseline would not see the operation order of the interfaces.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  set_source_files_properties(api/IndexObjCreator.cpp graph/ShapeFactory.cpp
    DIRECTORY api graph
    PROPERTIES COMPILE_OPTIONS -femit-class-debug-always)
endif()
