# What the Windows programs need beside them: the Qt DLLs, the plugins they load and the
# mingw runtime DLLs that Qt's DLLs use, copied into the programs' directory so that the
# programs and the tests run from there (under Wine too). The installer takes the same files.
set(qt_prefix "${QT6_INSTALL_PREFIX}")
set(runtime_dir "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
set(runtime_files)
foreach(module Core Gui Widgets Sql Network Test)
    list(APPEND runtime_files "${qt_prefix}/bin/Qt6${module}.dll")
endforeach()
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND runtime_files "${path}")
endforeach()
find_file(WINPTHREAD_DLL libwinpthread-1.dll PATHS /usr/x86_64-w64-mingw32/lib NO_DEFAULT_PATH REQUIRED)
list(APPEND runtime_files "${WINPTHREAD_DLL}")

set(copy_commands)
foreach(file IN LISTS runtime_files)
    list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different "${file}" "${runtime_dir}/")
endforeach()
foreach(plugin platforms/qwindows platforms/qoffscreen sqldrivers/qsqlibase sqldrivers/qsqlodbc
               sqldrivers/qsqlite styles/qwindowsvistastyle)
    get_filename_component(folder ${plugin} DIRECTORY)
    list(APPEND copy_commands
         COMMAND ${CMAKE_COMMAND} -E make_directory "${runtime_dir}/${folder}"
         COMMAND ${CMAKE_COMMAND} -E copy_if_different "${qt_prefix}/plugins/${plugin}.dll" "${runtime_dir}/${folder}/")
endforeach()
add_custom_target(windows-runtime ALL ${copy_commands} VERBATIM)

# The MSI of build/FMerilon.msi (scripts/windows-check builds it): the programs and their
# runtime from bin/, without the tests and Qt6Test.dll.
find_program(WIXL wixl)
find_program(WIXL_HEAT wixl-heat)
if(WIXL AND WIXL_HEAT)
    add_custom_target(installer
        COMMAND "${PROJECT_SOURCE_DIR}/packaging/windows/make-msi" "${runtime_dir}"
                "${CMAKE_BINARY_DIR}/FMerilon.msi" "${PROJECT_VERSION}"
        DEPENDS fmerilon partner-emulator fmerilon-check fmerilon-journal windows-runtime
        VERBATIM)
endif()
