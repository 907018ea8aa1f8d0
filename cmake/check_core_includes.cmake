# Fails the build when a source of the core library includes a header of Qt
# Gui, Widgets or Print Support. The core must build and run without a
# display: the command-line tool and the logic tests link it alone.
# Called with -DLIST=<file holding the core sources, one per line>.
file(STRINGS "${LIST}" files)
set(bad "")
foreach(f IN LISTS files)
  file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Qt(Gui|Widgets|PrintSupport)/|QtGui>|QtWidgets>|QtPrintSupport>)")
  if(lines)
    list(APPEND bad "${f}: ${lines}")
  endif()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "The core library must not include window headers:\n  ${text}")
endif()
