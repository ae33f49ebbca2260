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
void NewTemplate(Context& ctx, const std::string& name);
void NewInstance(Context& ctx, const std::string& template_id, const std::string& name);

enum class ControlAction { Start, Pause, Resume, Stop };
void Control(Context& ctx, const std::string& id, ControlAction action);

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
