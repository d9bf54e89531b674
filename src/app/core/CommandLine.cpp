#include "app/core/CommandLine.h"

namespace telvarn {

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--batch") {
      line.batch = true;
    } else if (argument == "--dry-run") {
      line.dryRun = true;
    } else if (argument == "--help" || argument == "-h") {
      line.action = CommandLine::Action::Help;
    } else if (argument == "--version") {
      line.action = CommandLine::Action::Version;
    } else if (argument == "--export" && i + 2 < arguments.size()) {
      line.action = CommandLine::Action::Export;
      line.file = arguments[++i];
      line.table = arguments[++i];
    } else if (argument == "--report" && i + 1 < arguments.size()) {
      line.reportFile = arguments[++i];
    } else if ((argument == "--schema" || argument == "--check") && i + 1 < arguments.size()) {
      line.action =
          argument == "--schema" ? CommandLine::Action::Schema : CommandLine::Action::Check;
      line.file = arguments[++i];
    } else {
      line.action = CommandLine::Action::Refused;
      line.refusal = argument == "--schema" || argument == "--check" || argument == "--report"
                         ? argument + " needs a file"
                     : argument == "--export" ? "--export needs a database file and a table"
                                              : "unknown option '" + argument + "'";
      return line;
    }
  }
  return line;
}

std::string usageText() {
  return "Usage: TELVARN [--batch] [--dry-run] [--report FILE]\n"
         "       TELVARN --schema FILE | --check FILE | --export FILE TABLE\n"
         "       TELVARN --help | --version\n"
         "\n"
         "Applies the maintenance script (TELVARN.ini beside the program, or the path in\n"
         "the settings) to the data and support databases, reporting every step.\n"
         "\n"
         "  --batch        run without a window: list lines go to standard output,\n"
         "                 message boxes to standard error (also when there is no display)\n"
         "  --dry-run      run the script on temporary copies of the databases: the list,\n"
         "                 boxes, report and exit status of a real run, and the databases,\n"
         "                 the files they link to and ErrorLog.txt left as they were\n"
         "  --report FILE  also write one JSON object per script line to FILE (its text,\n"
         "                 keyword, list lines and errors), then one with the totals\n"
         "  --schema FILE  print the database FILE as the engine sees it, as JSON\n"
         "  --check FILE   check the structure of the database FILE, one line per fault\n"
         "                 (exit 0 when consistent)\n"
         "  --export FILE TABLE\n"
         "                 write the table's rows as CSV (RFC 4180, UTF-8) to standard output\n"
         "  --help         show this text\n"
         "  --version      show the version\n"
         "\n"
         "Exit status: 0 no message box was shown, 1 one or more were, 2 the run could\n"
         "not start or an option was refused.\n";
}

}  // namespace telvarn
