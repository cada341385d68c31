// The subcommands of vtutil. Each adds itself to the program's command line; its callback does
// the work and sets the process's exit status through CLI11's exceptions.
#pragma once

#include <CLI/CLI.hpp>

// How long a command waits for a document or file that another program is using, unless --wait
// says otherwise.
inline constexpr int kDefaultWaitMs = 5000;

void add_access_command(CLI::App& app);
void add_convert_command(CLI::App& app);
void add_demo_command(CLI::App& app);
void add_desktop_command(CLI::App& app);
void add_deps_command(CLI::App& app);
void add_dump_command(CLI::App& app);
void add_filter_command(CLI::App& app);
void add_hash_command(CLI::App& app);
void add_kill_command(CLI::App& app);
void add_layout_command(CLI::App& app);
void add_log_command(CLI::App& app);
void add_open_command(CLI::App& app);
void add_path_command(CLI::App& app);
void add_ps_command(CLI::App& app);
void add_reg_command(CLI::App& app);
void add_round_command(CLI::App& app);
void add_run_command(CLI::App& app);
void add_save_command(CLI::App& app);
void add_share_command(CLI::App& app);
void add_sort_command(CLI::App& app);
void add_storage_command(CLI::App& app);
void add_tempname_command(CLI::App& app);
void add_tolerance_command(CLI::App& app);
void add_units_command(CLI::App& app);
void add_xml_command(CLI::App& app);
