# The demonstration application, quorvane-demo. Everything but main() is the
# library quorvane_demo_app, so the tests drive its windows in-process. The
# files are listed by name: this folder also holds the widgets library.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
find_package(X11 REQUIRED)  # the lock-key indicators
include(GNUInstallDirs)

add_library(quorvane_demo_app STATIC
  CChildFrame.cpp CMainFrame.cpp CQuorvaneDemoApp.cpp ClistDialogBar.cpp CmyDialogBar.cpp
  QvAppPaths.cpp QvDemoTable.cpp QvDocTemplate.cpp QvIcons.cpp QvLockKeys.cpp QvRecentFileList.cpp)
set_target_properties(quorvane_demo_app PROPERTIES AUTOMOC ON)
target_link_libraries(quorvane_demo_app PUBLIC quorvane_editor quorvane_preview quorvane_demo_widgets
  Qt6::Widgets Qt6::PrintSupport X11::X11)

add_executable(quorvane-demo quorvane_demo_main.cpp)
target_link_libraries(quorvane-demo PRIVATE quorvane_demo_app)
target_compile_definitions(quorvane-demo PRIVATE QV_VERSION="${PROJECT_VERSION}")

# The program looks for DemoFiles/ beside itself.
add_custom_target(quorvane_demo_files
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${QV_DEMO_OUT} ${CMAKE_CURRENT_BINARY_DIR}/DemoFiles
  DEPENDS demo_files
  COMMENT "Linking DemoFiles beside quorvane-demo")
add_dependencies(quorvane-demo quorvane_demo_files)

# The desktop icon is the one the program draws for its windows.
set(QV_DEMO_ICON ${CMAKE_CURRENT_BINARY_DIR}/quorvane-demo.png)
add_custom_command(OUTPUT ${QV_DEMO_ICON}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:quorvane-demo> --write-icon ${QV_DEMO_ICON}
  DEPENDS quorvane-demo
  COMMENT "Drawing the quorvane-demo icon")
add_custom_target(quorvane_demo_icon ALL DEPENDS ${QV_DEMO_ICON})

# Installed like any desktop program: the program and its DemoFiles/ in a
# folder of their own, a link to the program in bin/, a menu entry and an icon.
set(QV_DEMO_INSTALL_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quorvane)
install(TARGETS quorvane-demo RUNTIME DESTINATION ${QV_DEMO_INSTALL_DIR} COMPONENT demo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/DemoFiles DESTINATION ${QV_DEMO_INSTALL_DIR} COMPONENT demo)
# The link is made at install time under the prefix of that install
# (--prefix, or /usr for the packages), not the one configured.
file(RELATIVE_PATH QV_DEMO_LINK_TARGET /prefix/${CMAKE_INSTALL_BINDIR}
  /prefix/${CMAKE_INSTALL_LIBEXECDIR}/quorvane/quorvane-demo)
install(CODE "
  set(_bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${_bindir}\")
  file(CREATE_LINK \"${QV_DEMO_LINK_TARGET}\" \"\${_bindir}/quorvane-demo\" SYMBOLIC)
  message(STATUS \"Installing: \${_bindir}/quorvane-demo\")" COMPONENT demo)
# By name: the menu finds the program on the PATH wherever it was installed.
set(QV_DEMO_EXEC quorvane-demo)
configure_file(quorvane-demo.desktop.in ${CMAKE_CURRENT_BINARY_DIR}/quorvane-demo.desktop @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quorvane-demo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT demo)
configure_file(quorvane-demo.1.in ${CMAKE_CURRENT_BINARY_DIR}/quorvane-demo.1 @ONLY)
qv_install_man(quorvane_demo_man ${CMAKE_CURRENT_BINARY_DIR}/quorvane-demo.1 demo)
install(FILES ${QV_DEMO_ICON} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps COMPONENT demo)
