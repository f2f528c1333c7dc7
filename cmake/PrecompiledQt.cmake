# Qt's headers are most of what the compiler reads for a file of ours: they are compiled once
# per Qt module level (Core, Widgets), and every target of that level reuses them. Where the
# tests are built, the production code compiles without them: clang-tidy reads its compile
# commands, and takes the compiler's precompiled headers for its own, which they are not; the
# tests' files, the most expensive to compile, still use them.

option(BRAKWEN_PRECOMPILED_QT "Compile Qt's headers once for every target that uses Qt" ON)

# The compiler takes precompiled headers only where Qt's module macros (QT_GUI_LIB, ...) are
# defined as they were when they were compiled: one owner per level.
function(brakwen_add_qt_headers level)
    set(owner brakwen_qt_${level}_headers)
    add_library(${owner} STATIC "${PROJECT_SOURCE_DIR}/cmake/qt_headers.cpp")
    set(headers <QtCore/QByteArray> <QtCore/QList> <QtCore/QObject> <QtCore/QString>
        <QtCore/QFile> <QtCore/QHash> <QtCore/QDir> <functional> <memory> <string> <vector>)
    if(level STREQUAL widgets)
        target_link_libraries(${owner} PRIVATE Qt6::Widgets)
        list(APPEND headers <QtCore/QAbstractItemModel> <QtCore/QTimer> <QtCore/QUrl>
            <QtGui/QKeyEvent> <QtGui/QIcon> <QtGui/QImage>
            <QtWidgets/QApplication> <QtWidgets/QWidget> <QtWidgets/QListView>
            <QtWidgets/QTreeView> <QtWidgets/QPushButton> <QtWidgets/QLabel>
            <QtWidgets/QMessageBox> <QtWidgets/QLineEdit> <QtWidgets/QToolButton>)
    else()
        target_link_libraries(${owner} PRIVATE Qt6::Core)
    endif()
    target_precompile_headers(${owner} PRIVATE ${headers})
endfunction()

# Call after every target is defined.
function(brakwen_precompile_qt_headers)
    if(NOT BRAKWEN_PRECOMPILED_QT)
        return()
    endif()
    brakwen_add_qt_headers(core)
    brakwen_add_qt_headers(widgets)

    # Every target's Qt level, from what it links, directly or through one of ours; targets are
    # visited in the order they were defined, so a library's level is known before its users'.
    set(folders "${PROJECT_SOURCE_DIR}")
    while(folders)
        list(POP_FRONT folders folder)
        get_property(subfolders DIRECTORY "${folder}" PROPERTY SUBDIRECTORIES)
        list(APPEND folders ${subfolders})
        get_property(targets DIRECTORY "${folder}" PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE)$" OR target MATCHES "^brakwen_qt_")
                continue()
            endif()
            get_target_property(links ${target} LINK_LIBRARIES)
            set(level "")
            foreach(link IN LISTS links)
                if(link STREQUAL "Qt6::Widgets" OR link IN_LIST widgets_targets)
                    set(level widgets)
                elseif(link STREQUAL "Qt6::Gui" OR link IN_LIST gui_targets)
                    if(NOT level STREQUAL widgets)
                        set(level gui)
                    endif()
                elseif(link MATCHES "^Qt6::(Core|Test)$" OR link IN_LIST core_targets)
                    if(NOT level)
                        set(level core)
                    endif()
                endif()
            endforeach()
            if(level)
                list(APPEND ${level}_targets ${target})
            endif()
            get_target_property(source_dir ${target} SOURCE_DIR)
            string(FIND "${source_dir}/" "${PROJECT_SOURCE_DIR}/tests/" in_tests)
            if(BRAKWEN_TESTS AND NOT in_tests EQUAL 0)
                continue()
            endif()
            # Few Qt Gui files, none worth headers of their own.
            if(level STREQUAL widgets OR level STREQUAL core)
                target_precompile_headers(${target} REUSE_FROM brakwen_qt_${level}_headers)
                # Headers the compiler cannot take cost time, never correctness: said, not fatal.
                target_compile_options(${target} PRIVATE -Wno-error=invalid-pch)
                # A test's moc file is as good as empty (its classes are in its source), and
                # loading the headers would cost more than compiling it.
                if(type STREQUAL EXECUTABLE)
                    get_target_property(binary_dir ${target} BINARY_DIR)
                    set_source_files_properties(
                        "${binary_dir}/${target}_autogen/mocs_compilation.cpp"
                        TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
                endif()
            endif()
        endforeach()
    endwhile()
endfunction()
