# Every source file of the program, folder by folder, from the bottom layer up, and the
# folders that each folder may include from. This file is the one list: the product, the
# tests, the benchmarks and the fuzz build (fuzz/CMakeLists.txt) all take their sources
# from here.
#
# Adding a file: one line in its folder's FILES (headers too; a .cpp or .h in a folder of
# src/ that is not listed here fails the build). Adding a folder: one orvalis_folder() call
# above the folders that use it.
#
# USES names the folders directly below; the folders below those may be included too.
# LAYER core builds everywhere; LAYER cli is the command-line tool over the core; LAYER
# windows builds only for Windows. Files ending in _posix.cpp or _win32.cpp build only on
# their system; a folder's main.cpp is its program's entry point and stays out of the
# folder's library.

orvalis_folder(platform LAYER core USES
  FILES
    file_calls.cpp
    host_hooks.cpp
    platform.h
    platform_posix.cpp
    platform_win32.cpp
    text_utf8.cpp
    wildcard.cpp)

orvalis_folder(base LAYER core USES platform
  FILES
    byte_order.h
    mob_key.h
    pooled_tree.h
    walk_helpers.cpp
    walk_helpers.h)

orvalis_folder(formats LAYER core USES base
  FILES
    buffered_file_reader.cpp
    buffered_file_reader.h
    pmr_file.cpp
    pmr_file.h)

orvalis_folder(inspection LAYER core USES formats
  FILES
    audio_headers.cpp
    bento_constants.h
    bento_reader.cpp
    dictionary_dump.cpp
    dictionary_dump.h
    media_file_parser.cpp
    media_file_parser.h
    media_info_text.cpp
    media_info_text.h
    name_dictionary.cpp
    name_dictionary.h
    omf_descriptors.cpp
    structure_tree.cpp
    structure_view.cpp
    structure_view.h
    toc_stream.cpp
    toc_stream.h
    toc_stream_parser.cpp)

orvalis_folder(catalogue LAYER core USES inspection
  FILES
    catalogue.cpp
    catalogue.h
    database_discovery.cpp
    database_discovery.h
    database_loading.cpp
    duplicate_rows.cpp
    duplicate_rows.h
    index_records.cpp
    index_records.h
    media_linking.cpp
    media_linking.h
    media_record.cpp
    media_record.h)

orvalis_folder(fileops LAYER core USES catalogue
  FILES
    backup_run.cpp
    file_operations.h
    file_runs.cpp
    file_steps.cpp
    file_steps.h)

# orvalis-cli: main.cpp is the program, the rest its library.
orvalis_folder(cli LAYER cli USES catalogue
  FILES
    catalogue_load.cpp
    catalogue_load.h
    cli_common.cpp
    cli_common.h
    cli_progress.cpp
    cli_progress.h
    cmd_dict.cpp
    cmd_dups.cpp
    cmd_mdb.cpp
    cmd_omf.cpp
    cmd_pmr.cpp
    cmd_scan.cpp
    cmd_toc.cpp
    cmd_tree.cpp
    main.cpp
    media_description.cpp
    media_description.h
    record_text.cpp
    record_text.h)

# Identifiers of the menu, accelerators and dialogs, and the resource script (no code).
orvalis_folder(resources LAYER windows USES
  FILES
    resource.h)

orvalis_folder(window_services LAYER windows USES fileops resources
  FILES
    console_window.cpp
    console_window.h
    host_receivers.cpp
    host_receivers.h
    long_task.cpp
    long_task.h
    progress.cpp
    progress.h
    progress_window.cpp
    progress_window.h
    shell_state.h
    test_seams.cpp
    test_seams.h
    tool_windows.cpp
    tool_windows.h
    window_context.h
    window_helpers.cpp
    window_helpers.h)

orvalis_folder(operations LAYER windows USES window_services
  FILES
    backup.cpp
    confirm_dialog.cpp
    confirm_dialog.h
    copy_move_delete.cpp
    duplicates_dialog.cpp
    duplicates_dialog.h
    file_operations.h)

orvalis_folder(views LAYER windows USES operations
  FILES
    bases_tree.cpp
    bases_tree.h
    drop_targets.cpp
    drop_targets.h
    files_commands.cpp
    files_commands.h
    files_list.cpp
    files_list.h
    info_label.cpp
    info_label.h
    list_headers.cpp
    list_headers.h
    list_helpers.cpp
    list_helpers.h
    projects_list.cpp
    projects_list.h
    refresh_timer.cpp
    view_procedures.cpp
    view_procedures.h
    view_state.cpp
    view_state.h)

orvalis_folder(tools LAYER windows USES window_services
  FILES
    drive_info_tool.cpp
    drive_info_tool.h
    mount_tool.cpp
    mount_tool.h
    omf_viewer.cpp
    omf_viewer.h)

orvalis_folder(shell LAYER windows USES views tools
  FILES
    main.cpp
    main_window.cpp
    main_window.h)
