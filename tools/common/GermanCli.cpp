// SPDX-License-Identifier: MIT
#include "GermanCli.h"

#include <iostream>

#include "platform/ProgramIdentity.h"

namespace tarifuhr::tools {

void GermanHelp(CLI::App& app) {
  auto f = app.get_formatter();
  f->label("Usage", "Aufruf");
  f->label("OPTIONS", "OPTIONEN");
  f->label("SUBCOMMAND", "BEFEHL");
  f->label("SUBCOMMANDS", "BEFEHLE");
  f->label("Positionals", "Angaben");
  f->label("REQUIRED", "PFLICHT");
  f->label("Needs", "braucht");
  f->label("Excludes", "schließt aus");
  f->label("Env", "Umgebung");
  app.option_defaults()->group("Optionen");
  app.set_help_flag("-h,--help", "diese Hilfe zeigen");
}

void VersionFlag(CLI::App& app, const std::string& tool) {
  app.set_version_flag("-v,--version", tool + " (Tarifuhr) " + kProgramVersion, "Version zeigen");
}

std::string GermanParseError(const CLI::ParseError& e) {
  const std::string what = e.what();
  const auto has = [&what](const char* part) { return what.find(part) != std::string::npos; };
  const auto before = [&what](const std::string& mark) { return what.substr(0, what.find(mark)); };
  const auto after = [&what](const std::string& mark) { return what.substr(what.find(mark) + mark.size()); };
  const auto between = [&](const std::string& from, const std::string& to) {
    const std::string rest = after(from);
    return rest.substr(0, rest.find(to));
  };
  if (has("subcommand is required") || has("Subcommand required") || has("A subcommand"))
    return "Es fehlt ein Befehl.";
  if (has(" is required")) return "Es fehlt die Angabe " + before(" is required") + ".";
  if (has("not expected: ")) return "Nicht erwartet: " + after("not expected: ");
  if (has(" requires ")) return before(" requires ") + " geht nur zusammen mit " + after(" requires ") + ".";
  if (has(" excludes ")) return before(" excludes ") + " schließt " + after(" excludes ") + " aus.";
  if (has("Could not convert: ") && has(" = "))
    return "Ungültiger Wert für " + before(" = ").substr(19) + ": " + after(" = ");
  if (has(" not in {"))
    return "Ungültiger Wert „" + between(": ", " not in {") + "“ (möglich: " + between(" not in {", "}") +
           ").";
  if (has(" required ") && has(" missing")) return "Bei " + before(": ") + " fehlt der Wert.";
  return "Der Aufruf wurde nicht verstanden.";
}

std::optional<int> ParseInGerman(CLI::App& app, int argc, char** argv, const std::string& tool) {
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << tool << ": Fehler: " << GermanParseError(e) << "\n(" << tool
              << " --help zeigt die Befehle)\n";
    return e.get_exit_code() ? e.get_exit_code() : kExitError;
  }
  return std::nullopt;
}

}  // namespace tarifuhr::tools
