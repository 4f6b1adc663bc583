# korvex_precompiled(TARGET KIND): the standard, Qt and test framework headers
# most of a target's files include, parsed once instead of once per file
# (a Qt form took twice as long to compile without). KIND says which set:
# CORE (the standard library), QT (and the widgets), GTEST (and GoogleTest)
# or QTEST (and Qt Test). The first target of a kind compiles the header;
# the later ones, built with the same flags, use its copy. Only headers from
# outside the project go in, so a change of our own headers never makes the
# precompiled one stale.
#
# A file that forgets an include still compiles here; the fuzz build, which
# turns KORVEX_PRECOMPILE off, is the one that catches it for the core.
function(korvex_precompiled target kind)
  if(NOT KORVEX_PRECOMPILE)
    return()
  endif()
  # In an optimised build the program's own code spends its time optimising,
  # not parsing, and GCC 12 inlines differently through a precompiled header,
  # which wakes its false array-bounds warnings; the tests are never
  # optimised.
  if((kind STREQUAL "CORE" OR kind STREQUAL "QT") AND NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
    return()
  endif()
  get_property(host GLOBAL PROPERTY KORVEX_PCH_${kind})
  if(host)
    target_precompile_headers(${target} REUSE_FROM ${host})
    return()
  endif()
  set_property(GLOBAL PROPERTY KORVEX_PCH_${kind} ${target})

  set(headers
    <algorithm> <array> <chrono> <cstdint> <filesystem> <functional> <map> <memory>
    <optional> <set> <stdexcept> <string> <string_view> <utility> <vector>)
  if(kind STREQUAL "QT" OR kind STREQUAL "QTEST")
    list(APPEND headers
      <QAction> <QComboBox> <QDialog> <QGridLayout> <QGroupBox> <QHBoxLayout> <QLabel>
      <QLineEdit> <QMenu> <QPlainTextEdit> <QPushButton> <QSpinBox> <QString> <QTimer>
      <QVBoxLayout> <QWidget>)
  endif()
  if(kind STREQUAL "GTEST")
    list(APPEND headers <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  if(kind STREQUAL "QTEST")
    list(APPEND headers <QTest>)
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()
