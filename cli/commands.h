#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/context.h"

namespace cli {

// The tool's commands. Each prints for people, or one JSON document with
// --json; a failure is a com::Error for main to report.
void Init(Context& ctx);
void ListTemplates(Context& ctx);
void ListInstances(Context& ctx);
void ShowProcess(Context& ctx, const std::string& id);
// The findings of a process, by card ID or in a process file (read into a
// card that is never written); fails (exit 1) when there are any.
void Validate(Context& ctx, const std::string& id_or_file);
enum class PictureFormat { Svg, Dot };
// The process graph as a picture, on stdout or into `output` ("-": stdout).
void Render(Context& ctx, const std::string& id_or_file, PictureFormat format, const std::string& output);
void NewTemplate(Context& ctx, const std::string& name);
// Refuses a template with findings that keep it from starting, unless `force`.
void NewInstance(Context& ctx, const std::string& template_id, const std::string& name, bool force);

enum class ControlAction { Start, Pause, Resume, Stop };
// A start is refused for a process with findings that keep it from
// starting, unless `force`.
void Control(Context& ctx, const std::string& id, ControlAction action, bool force = false);

void ShowLog(Context& ctx, const std::string& id, int tail);
void Export(Context& ctx, const std::string& id, const std::string& file, bool sub_processes);
void Import(Context& ctx, const std::string& file, const std::string& into, bool sub_processes);
void Delete(Context& ctx, const std::string& id);
// Brings a process written by an older version to this one (as its card
// would), with the sub-processes it runs; a current process is left as it is.
void Convert(Context& ctx, const std::string& id);
// Serves the store to a browser until interrupted: see embedded::web::WebServer.
void Serve(Context& ctx, const std::vector<std::string>& users, const std::string& listen, int port);
// Without a key, shows the user's settings; with a key and a value, sets one.
void Settings(Context& ctx, const std::string& key, const std::string& value);

}  // namespace cli
