# Fails the build when a file of the core includes a widget, print-support or upper-layer header,
# whatever the include's spelling.
file(GLOB_RECURSE core_files ${SOURCE_DIR}/src/core/*.h ${SOURCE_DIR}/src/core/*.cpp)
set(forbidden "#[ \t]*include[ \t]*[<\"](QtWidgets/|QtPrintSupport/|widgets/|gui/|printer/|cli/|Q(Widget|Application|Dialog|MainWindow|Printer|PrinterInfo|PrintDialog|MessageBox|FileDialog|Label|PushButton|Action|Menu|MenuBar|LineEdit|ProgressDialog|AbstractButton|ListWidget|TableView)[>\"])")
set(found "")
foreach(file ${core_files})
  file(STRINGS ${file} lines REGEX "${forbidden}")
  foreach(line ${lines})
    string(APPEND found "\n  ${file}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "The core must not include widget or upper-layer headers:${found}")
endif()
