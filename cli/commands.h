#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/context.h"

namespace cli {

// The tool's commands. Each prints for people, or one JSON document with
// --json; a failure is a com::Error for main to report.
void Init(Context& ctx);
// What a listing keeps: every filter given must match.
struct ListFilter {
  std::optional<std::string> name;         // a shell pattern, without regard to case
  std::optional<std::string> template_id;  // instances of this template
  std::optional<std::string> state;        // by its name, without regard to case
  std::optional<int> limit;                // at most this many
};
void ListTemplates(Context& ctx, const ListFilter& filter = {});
void ListInstances(Context& ctx, const ListFilter& filter = {});
// The dictionaries' function and gate types.
void ListTypes(Context& ctx);
void ShowProcess(Context& ctx, const std::string& id);
// The findings of a process, by card ID or in a process file (read into a
// card that is never written); fails (exit 1) when there are any.
void Validate(Context& ctx, const std::string& id_or_file);
// What differs between two processes, each a card ID or a process file:
// added, removed, changed and moved items, in text or --json; fails (exit
// 1) when they differ, as diff does.
void Diff(Context& ctx, const std::string& before, const std::string& after);
enum class PictureFormat { Svg, Dot };
// The process graph as a picture, on stdout or into `output` ("-": stdout).
void Render(Context& ctx, const std::string& id_or_file, PictureFormat format, const std::string& output);
void NewTemplate(Context& ctx, const std::string& name);
// Refuses a template with findings that keep it from starting, unless `force`.
// `assignments` are NAME=VALUE texts: values of the template's variables,
// each converted as its variable's type takes it.
void NewInstance(Context& ctx, const std::string& template_id, const std::string& name, bool force,
                 const std::vector<std::string>& assignments = {});

enum class ControlAction { Start, Pause, Resume, Stop };
// A start is refused for a process with findings that keep it from
// starting, unless `force`.
void Control(Context& ctx, const std::string& id, ControlAction action, bool force = false);

// The last `tail` messages (all when negative); with `follow`, then every
// message that comes, until Ctrl-C or SIGTERM.
void ShowLog(Context& ctx, const std::string& id, int tail, bool follow = false);
void Export(Context& ctx, const std::string& id, const std::string& file, bool sub_processes);
void Import(Context& ctx, const std::string& file, const std::string& into, bool sub_processes);
void Delete(Context& ctx, const std::string& id);
// Brings a process written by an older version to this one (as its card
// would), with the sub-processes it runs; a current process is left as it is.
void Convert(Context& ctx, const std::string& id);
// Serves the store to a browser until interrupted: see embedded::web::WebServer.
void Serve(Context& ctx, const std::vector<std::string>& users, const std::string& listen, int port);
// Without a key, shows the user's settings; with a key, shows that one,
// after setting it when a value is given (true/false, yes/no, 1/0).
void Settings(Context& ctx, const std::string& key, const std::optional<std::string>& value);
// Whether export (or import) follows sub-processes when the command line
// does not say: the user's setting, as the card's commands use it.
bool SubprocessesByDefault(Context& ctx, bool for_export);

}  // namespace cli
