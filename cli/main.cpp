// vorlane: design, exchange and run business processes on a local store
// from a terminal.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>

#include "cli/commands.h"
#include "cli/json_writer.h"
#include "cli/interruption.h"
#include "platform/com/error.h"
#include "platform/com/locale.h"
#include "platform/com/text.h"

namespace {

// Exit codes: 0 done, 1 the system refused or failed, 2 the command line was wrong.
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// Levenshtein distance, for "did you mean" on a mistyped command or option.
size_t Distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t up = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

// The closest of `names` to `typed`, when it is close enough to be meant.
std::optional<std::string> Closest(const std::string& typed, const std::vector<std::string>& names) {
  std::optional<std::string> best;
  size_t best_distance = std::max<size_t>(2, typed.size() / 3) + 1;
  for (const std::string& name : names) {
    const size_t d = Distance(typed, name);
    if (d < best_distance) {
      best = name;
      best_distance = d;
    }
  }
  return best;
}

// Whether --json was asked for anywhere on the command line: a failure to
// read the command line is then told as JSON too.
bool WantsJson(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--json") return true;
  }
  return false;
}

// The one JSON document of a failure, on stdout, for programs.
void PrintJsonError(const std::string& code, const std::string& message) {
  cli::JsonWriter w;
  w.BeginObject().Key("error").BeginObject().Field("code", code).Field("message", message).EndObject().EndObject();
  std::printf("%s\n", w.text().c_str());
}

std::vector<std::string> SplitGroups(const std::string& list) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string::npos) comma = list.size();
    std::string_view item = text::Trim(std::string_view(list).substr(start, comma - start));
    if (!item.empty()) out.emplace_back(item);
    start = comma + 1;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  cli::Options options;
  std::string groups = "Korvessa Workflow Process Creators";
  std::function<void(cli::Context&)> action;

  CLI::App app{"vorlane: design, exchange and run business processes on a local store.", "vorlane"};
  app.set_version_flag("--version", std::string("vorlane ") + VORLANE_VERSION);
  app.require_subcommand(1);
  app.fallthrough();  // the global options may also follow the command
  app.add_option("--store", options.store, "The store file (made by init)")
      ->envname("VORLANE_STORE")
      ->capture_default_str();
  app.add_option("--user", options.user, "The account to act as (default: your login name)");
  app.add_option("--locale", options.locale, "Locale ID for texts and numbers: 1033, 1049, 1058, 1062 or 1087")
      ->check([](const std::string& value) -> std::string {
        try {
          if (com::IsKnownLocale(std::stoi(value))) return std::string();
        } catch (const std::exception&) {
          // Not a number: told below, as for an unknown locale.
        }
        return value + " is no locale the platform knows (1033, 1049, 1058, 1062, 1087)";
      })
      ->capture_default_str();
  app.add_option("--groups", groups, "The account's groups, separated by commas")->capture_default_str();
  app.add_flag("--json", options.json, "Print one JSON document, for programs");
  app.add_option("--max-size", options.max_size,
                 "The largest process file an import or a comparison reads, in bytes or with a unit "
                 "(512MiB, 2GiB; default 1GiB)")
      ->transform(CLI::AsSizeValue(false));
  app.footer(
      "Examples:\n"
      "  vorlane init\n"
      "  vorlane new-template \"Order approval\"\n"
      "  vorlane export 0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D order.xml\n"
      "IDs may be typed in any case, with or without braces.");

  auto command = [&](const char* name, const char* help, const char* example) {
    CLI::App* sub = app.add_subcommand(name, help);
    sub->footer(std::string("Example:\n  ") + example);
    return sub;
  };

  command("init", "Create the store with its dictionaries", "vorlane --store work.vorlane init")
      ->callback([&] {
        options.create_store = true;
        action = cli::Init;
      });
  cli::ListFilter filter;
  auto limit_check = CLI::Range(0, 1 << 30);
  auto templates = command("templates", "List the process templates", "vorlane templates --name 'Order*' --json");
  templates->add_option("--name", filter.name, "Only those whose name matches this pattern (*, ?, [...])");
  templates->add_option("--limit", filter.limit, "At most N")->check(limit_check);
  templates->callback([&] { action = [&](cli::Context& c) { cli::ListTemplates(c, filter); }; });
  auto instances = command("instances", "List the process instances", "vorlane instances --state Active");
  instances->add_option("--name", filter.name, "Only those whose name matches this pattern (*, ?, [...])");
  instances->add_option("--template", filter.template_id, "Only the instances of this template");
  instances->add_option("--state", filter.state, "Only those in this state")
      ->check(CLI::IsMember({"NonActive", "Active", "Paused", "Failed", "Finished"}, CLI::ignore_case));
  instances->add_option("--limit", filter.limit, "At most N")->check(limit_check);
  instances->callback([&] { action = [&](cli::Context& c) { cli::ListInstances(c, filter); }; });
  command("types", "List the function and gate types of the dictionaries", "vorlane types")->callback([&] {
    action = cli::ListTypes;
  });

  std::string id, name, file, into, key, value;
  std::optional<int> tail;
  bool no_sub = false;

  auto show = command("show", "Show a process: header, functions, gates, links, variables, state",
                      "vorlane show {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  show->add_option("ID", id, "The process card's ID")->required();
  show->callback([&] { action = [&](cli::Context& c) { cli::ShowProcess(c, id); }; });

  auto validate = command("validate",
                          "Check a process: what keeps it from starting, links to nowhere, steps no start leads "
                          "to, values that do not fit their type, variables of one name. Exits 1 with findings",
                          "vorlane validate order.xml");
  validate->add_option("ID|FILE", id, "The process card's ID, or a process file")->required();
  // A process file is checked without a store file, when there is none.
  auto reads_a_file = [&] {
    std::error_code ec;
    options.memory_store_if_missing = id == "-" || std::filesystem::is_regular_file(id, ec);
  };
  validate->callback([&] {
    reads_a_file();
    action = [&](cli::Context& c) { cli::Validate(c, id); };
  });

  std::string other;
  auto diff = command("diff",
                      "Compare two processes (card IDs or process files): functions, gates, links and variables "
                      "added, removed, changed or only moved, by their IDs. Exits 1 when they differ",
                      "vorlane diff order-v1.xml {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  diff->add_option("A", id, "The first process: a card ID or a process file")->required();
  diff->add_option("B", other, "The second process: a card ID or a process file")->required();
  diff->callback([&] {
    std::error_code ec;
    options.memory_store_if_missing =
        std::filesystem::is_regular_file(id, ec) && std::filesystem::is_regular_file(other, ec);
    action = [&](cli::Context& c) { cli::Diff(c, id, other); };
  });

  std::string format = "svg", output;
  auto render = command("render", "Draw a process as the designer does (SVG), or in Graphviz's dot language",
                        "vorlane render {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D} -o order.svg");
  render->add_option("ID|FILE", id, "The process card's ID, or a process file")->required();
  render->add_option("-o,--output", output, "The file to write (default, or -: standard output)");
  render->add_option("--format", format, "svg or dot")
      ->check(CLI::IsMember({"svg", "dot"}, CLI::ignore_case))
      ->capture_default_str();
  render->callback([&] {
    reads_a_file();
    action = [&](cli::Context& c) {
      cli::Render(c, id, text::EqualNoCase(format, "dot") ? cli::PictureFormat::Dot : cli::PictureFormat::Svg, output);
    };
  });

  bool force = false;
  auto new_template = command("new-template", "Make an empty template", "vorlane new-template \"Order approval\"");
  // A name is what people find a process by: one line, with something in it.
  auto name_check = [](const std::string& value) -> std::string {
    if (text::Trim(value).empty()) return "a name must not be empty or blank";
    if (value.find_first_of("\r\n") != std::string::npos) return "a name must be one line";
    return std::string();
  };
  new_template->add_option("NAME", name, "The template's name")->required()->check(name_check);
  new_template->callback([&] { action = [&](cli::Context& c) { cli::NewTemplate(c, name); }; });

  auto instance = command("instance", "Make an instance of a template",
                          "vorlane instance 0ef6bcca-7a09-4027-a3a2-d2eeeca1bf4d --name \"Order 17\"");
  instance->add_option("TEMPLATE-ID", id, "The template's ID")->required();
  instance->add_option("--name", name, "The instance's name (default: \"Process instance\" and the template's)")
      ->check(name_check);
  instance->add_flag("--force", force, "Make it even when the template cannot start (see validate)");
  std::vector<std::string> assignments;
  instance->add_option("--var", assignments, "A value of a variable, NAME=VALUE (again for each)");
  instance->callback([&] { action = [&](cli::Context& c) { cli::NewInstance(c, id, name, force, assignments); }; });

  struct ControlCommand {
    const char* name;
    const char* help;
    cli::ControlAction what;
  };
  for (const ControlCommand& cc : {ControlCommand{"start", "Start an instance on the workflow server", cli::ControlAction::Start},
                                   ControlCommand{"pause", "Pause a running instance", cli::ControlAction::Pause},
                                   ControlCommand{"resume", "Resume a paused instance", cli::ControlAction::Resume},
                                   ControlCommand{"stop", "Stop an instance", cli::ControlAction::Stop}}) {
    std::string example = std::string("vorlane ") + cc.name + " {6C259BD5-F72A-4E8A-8AF1-80746C7D794F}";
    auto sub = command(cc.name, cc.help, example.c_str());
    sub->add_option("ID", id, "The instance's ID")->required();
    cli::ControlAction what = cc.what;
    if (what == cli::ControlAction::Start) {
      sub->add_flag("--force", force, "Start it even when the check finds it cannot start (see validate)");
    }
    sub->callback([&, what] { action = [&, what](cli::Context& c) { cli::Control(c, id, what, force); }; });
  }

  bool follow_log = false;
  auto log = command("log", "Print a process's log", "vorlane log {6C259BD5-F72A-4E8A-8AF1-80746C7D794F} --tail 20");
  log->add_option("ID", id, "The process's ID")->required();
  log->add_option("--tail", tail, "Only the last N messages (0: none)")->check([](const std::string& value) {
    try {
      size_t used = 0;
      const long n = std::stol(value, &used);
      if (used == value.size() && n >= 0) return std::string();
    } catch (const std::exception&) {
      // Told below.
    }
    return "--tail must be 0 or more, not " + value;
  });
  log->add_flag("-f,--follow", follow_log, "Go on printing messages as they come, until Ctrl-C");
  log->callback([&] { action = [&](cli::Context& c) { cli::ShowLog(c, id, tail ? *tail : -1, follow_log); }; });

  auto exp = command("export", "Export a template to an XML file, with the cards its functions link to",
                     "vorlane export {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D} order.xml");
  exp->add_option("ID", id, "The process's ID")->required();
  exp->add_option("FILE", file, "The XML file to write (-: standard output)")->required();
  bool with_sub = false;
  exp->add_flag("--subprocesses", with_sub, "Export the linked sub-processes too");
  exp->add_flag("--no-subprocesses", no_sub, "Leave linked sub-processes out")->excludes("--subprocesses");
  exp->footer("Example:\n  vorlane export {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D} order.xml\n"
              "Without either flag the setting ExportWithSubprocesses decides, as on the card.");
  exp->callback([&] {
    action = [&](cli::Context& c) {
      cli::Export(c, id, file, with_sub || (!no_sub && cli::SubprocessesByDefault(c, true)));
    };
  });

  auto imp = command("import", "Import an XML file as a new template, or into a template (replacing its content)",
                     "vorlane import order.xml --into {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  imp->add_option("FILE", file, "The XML file to read (-: standard input)")->required()->check([](const std::string& value) {
    return value == "-" ? std::string() : CLI::ExistingFile(value);
  });
  imp->add_option("--into", into, "The process card to import into (default: a new template)");
  imp->add_flag("--subprocesses", with_sub, "Make the linked sub-processes too");
  imp->add_flag("--no-subprocesses", no_sub, "Do not make the linked sub-processes")->excludes("--subprocesses");
  imp->footer("Example:\n  vorlane import order.xml --into {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}\n"
              "Without either flag the setting ImportWithSubprocesses decides, as on the card.");
  imp->add_flag("--yes", options.yes, "Replace the content of the --into template without asking");
  imp->callback([&] {
    action = [&](cli::Context& c) {
      cli::Import(c, file, into, with_sub || (!no_sub && cli::SubprocessesByDefault(c, false)));
    };
  });

  auto convert = command("convert",
                         "Bring a process written by an older version to this version, with the sub-processes it "
                         "runs (as its card does when it opens it)",
                         "vorlane convert {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D}");
  convert->add_option("ID", id, "The process's ID")->required();
  convert->callback([&] { action = [&](cli::Context& c) { cli::Convert(c, id); }; });

  std::vector<std::string> serve_users;
  std::string listen = "127.0.0.1";
  int port = 8470;
  auto serve = command("serve",
                       "Serve the store to a browser: the processes, and each card as its person works in it",
                       "vorlane serve --port 8470 --user alice --user bob");
  serve->add_option("--user", serve_users, "An account to serve (again for each person; default: --user or you)");
  serve->add_option("--port", port, "The port to listen on (0: any free port)")->check(CLI::Range(0, 65535))->capture_default_str();
  serve->add_option("--listen", listen, "The address to listen on; another than this machine's is warned of")
      ->capture_default_str();
  serve->callback([&] { action = [&](cli::Context& c) { cli::Serve(c, serve_users, listen, port); }; });

  auto del = command("delete",
                     "Delete a template or an instance; a running instance, a template that has instances or a "
                     "card another session edits needs --yes",
                     "vorlane delete {0EF6BCCA-7A09-4027-A3A2-D2EEECA1BF4D} --yes");
  del->add_option("ID", id, "The process's ID")->required();
  del->add_flag("--yes", options.yes, "Delete without asking, also what needs agreement");
  del->callback([&] { action = [&](cli::Context& c) { cli::Delete(c, id); }; });

  auto settings = command("settings", "Show your export and import settings, or set one",
                          "vorlane settings ExportWithSubprocesses False");
  std::optional<std::string> setting_value;
  settings->add_option("KEY", key, "The setting's name: print its value, or set it");
  settings->add_option("VALUE", setting_value, "true or false (yes/no, 1/0)");
  settings->callback([&] { action = [&](cli::Context& c) { cli::Settings(c, key, setting_value); }; });

  std::string help_topic;
  auto help = command("help", "Show the help of the tool, or of one command", "vorlane help export");
  help->add_option("COMMAND", help_topic, "The command");
  help->callback([&] {
    if (help_topic.empty()) throw CLI::CallForHelp();
    CLI::App* topic = nullptr;
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
      if (sub->get_name() == help_topic) topic = sub;
    }
    if (!topic) throw CLI::ValidationError("help", "no command " + help_topic);
    std::printf("%s", topic->help("vorlane").c_str());
    std::exit(0);
  });

  // A mistyped command is told with the closest one.
  std::vector<std::string> commands;
  for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) commands.push_back(sub->get_name());
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.starts_with("-")) {
      // The global options that take a value: their value is no command.
      if (arg == "--store" || arg == "--user" || arg == "--locale" || arg == "--groups" || arg == "--max-size") ++i;
      continue;
    }
    if (std::find(commands.begin(), commands.end(), arg) != commands.end()) break;
    std::string text = "unknown command '" + arg + "'";
    if (auto meant = Closest(arg, commands)) text += "; did you mean '" + *meant + "'?";
    text += " (vorlane --help lists the commands)";
    if (WantsJson(argc, argv)) PrintJsonError("usage", text);
    std::fprintf(stderr, "error: %s\n", text.c_str());
    return kUsage;
  }

  std::optional<cli::Context> ctx;
  try {
    app.parse(argc, argv);
    options.groups = SplitGroups(groups);
    ctx.emplace(options);
    action(*ctx);
    if (ctx->failed()) return kFailed;
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::string text = e.what();
    // An option the command does not have: the closest one it has.
    if (dynamic_cast<const CLI::ExtrasError*>(&e)) {
      CLI::App* used = &app;
      for (CLI::App* sub : app.get_subcommands()) used = sub;
      std::vector<std::string> names;
      for (const CLI::Option* o : used->get_options()) {
        for (const std::string& n : o->get_lnames()) names.push_back("--" + n);
      }
      for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!arg.starts_with("--") || std::find(names.begin(), names.end(), arg) != names.end()) continue;
        if (auto meant = Closest(arg, names)) text += "; did you mean " + *meant + "?";
        break;
      }
    }
    if (WantsJson(argc, argv)) PrintJsonError("usage", text);
    std::fprintf(stderr, "error: %s\nRun 'vorlane help' or 'vorlane COMMAND --help' for more.\n", text.c_str());
    return kUsage;
  } catch (const cli::Interrupted& e) {
    if (options.json) PrintJsonError("interrupted", e.what());
    std::fprintf(stderr, "%s\n", e.what());
    return 128 + e.signal();
  } catch (const com::Error& e) {
    // A sentence for people first, then the code for searching and scripts.
    const std::string text = ctx ? ctx->Describe(e) : cli::Context::PeopleText(e);
    if (options.json) PrintJsonError(com::HexCode(e.code()), text);
    std::fprintf(stderr, "error: %s [%s]\n", text.c_str(), com::HexCode(e.code()).c_str());
    return kFailed;
  } catch (const std::exception& e) {
    if (options.json) PrintJsonError(com::HexCode(com::hr::kFail), e.what());
    std::fprintf(stderr, "error: %s\n", e.what());
    return kFailed;
  }
  return 0;
}
