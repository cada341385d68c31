// vtutil: the VTUtils command-line program.
#include <CLI/CLI.hpp>

#include "commands.h"

int main(int argc, char** argv) {
  CLI::App app{"vtutil: the VTUtils utility library from the command line", "vtutil"};
  app.set_version_flag("--version", "vtutil " VTUTILS_VERSION);
  app.require_subcommand(1);
  add_access_command(app);
  add_convert_command(app);
  add_demo_command(app);
  add_desktop_command(app);
  add_deps_command(app);
  add_dump_command(app);
  add_filter_command(app);
  add_hash_command(app);
  add_kill_command(app);
  add_layout_command(app);
  add_log_command(app);
  add_open_command(app);
  add_path_command(app);
  add_ps_command(app);
  add_round_command(app);
  add_run_command(app);
  add_save_command(app);
  add_share_command(app);
  add_sort_command(app);
  add_storage_command(app);
  add_tempname_command(app);
  add_tolerance_command(app);
  add_units_command(app);
  add_xml_command(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
