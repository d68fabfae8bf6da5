# Packages made with CPack from the install rules of the programs (run "cpack" in the build folder).
#
#   Linux:   a Debian package of percepciones-cli and, when it is built, the desktop program
#            percepciones, under /usr, with the SQL schemas in /usr/share/tamaris-percepciones.
#   Windows: a ZIP of percepciones-cli.exe with LEEME-windows.txt (the desktop is not in it).

set(CPACK_PACKAGE_NAME tamaris-percepciones)
set(CPACK_PACKAGE_VENDOR Tamaris)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Percepciones de Ingresos Brutos y C.I.T.I. Ventas del sistema Tamaris")
set(TAMARIS_MANTENEDOR "Equipo Tamaris <tamaris@localhost>"
    CACHE STRING "Responsable de los paquetes (Nombre <correo>)")
set(CPACK_PACKAGE_CONTACT ${TAMARIS_MANTENEDOR})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Only the command line, at the top of the archive: its own install rules, in a component of
  # their own, so that a desktop built in the same tree stays out of the ZIP.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(tamaris_arquitectura x64)
  else()
    set(tamaris_arquitectura x86)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/paquete/LEEME-windows.txt
                 ${PROJECT_BINARY_DIR}/paquete/LEEME-windows.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS percepciones-cli RUNTIME DESTINATION . COMPONENT linea_de_comandos)
  install(FILES ${PROJECT_BINARY_DIR}/paquete/LEEME-windows.txt
          DESTINATION . COMPONENT linea_de_comandos)
  # The DLLs the program needs when it is not linked statically (MinGW runtime, sqlite3.dll).
  set(TAMARIS_DLL_WINDOWS "" CACHE STRING "DLL que van junto a percepciones-cli.exe en el ZIP")
  if(TAMARIS_DLL_WINDOWS)
    install(FILES ${TAMARIS_DLL_WINDOWS} DESTINATION . COMPONENT linea_de_comandos)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME
      ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-windows-${tamaris_arquitectura})
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL linea_de_comandos)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
else()
  include(GNUInstallDirs)
  install(FILES ${PROJECT_SOURCE_DIR}/sql/esquema.sql ${PROJECT_SOURCE_DIR}/sql/esquema_postgresql.sql
          DESTINATION ${CMAKE_INSTALL_DATADIR}/tamaris-percepciones)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The first line of the description is the summary, which CPack puts in front.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Utilitario del sistema Tamaris: se conecta a la base de datos del sistema (SQLite, o SQL
Server, PostgreSQL y Oracle por ODBC) y escribe el archivo de percepciones de Ingresos Brutos y
el de C.I.T.I. Ventas en Windows-1252 con CR LF; revisa los comprobantes, informa los totales y
verifica archivos ya generados.
Programas: percepciones-cli (línea de comandos)")
  if(TARGET percepciones)
    string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION " y percepciones (escritorio)")
  endif()
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
         ".\nEsquemas SQL de la base: /usr/share/tamaris-percepciones.")
  # The libraries come from dpkg-shlibdeps; the ODBC drivers are loaded only at run time, so
  # they are named here: the driver manager always, the drivers of each platform as advice.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(tamaris_depende unixodbc)
  set(tamaris_recomienda libsqliteodbc odbc-postgresql tdsodbc)
  if(TARGET percepciones)
    # The desktop cannot open a window without Qt's platform plugins; without the translations
    # it starts with Qt's own texts in English.
    list(APPEND tamaris_depende qt6-qpa-plugins)
    list(APPEND tamaris_recomienda qt6-translations-l10n)
  endif()
  list(JOIN tamaris_depende ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
  list(JOIN tamaris_recomienda ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
endif()

include(CPack)
