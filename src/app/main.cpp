// TELVARN: applies a maintenance script to an installation's two databases,
// in a window or, without a display or with --batch, on the console.
#include <dlfcn.h>

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

#include "app/core/CommandLine.h"
#include "app/core/ConsoleView.h"
#include "app/core/CsvExport.h"
#include "app/core/MainForm.h"
#include "app/core/ProgramName.h"
#include "app/core/SchemaJson.h"
#include "app/core/Settings.h"
#include "engine/AppError.h"
#include "engine/Storage.h"
#include "engine/model/Database.h"
#include "engine/open/DBEngine.h"
#include "report/RunReport.h"

namespace {

using namespace telvarn;

// The toolkit's application object, with numbers kept in the "C" form.
class Application {
 public:
  Application(int& argc, char** argv) : app_(argc, argv) { keepNumbersInCLocale(); }

 private:
  QCoreApplication app_;
};

bool displayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// Runs the work of --schema, --check or --export: whatever fails, a
// standard output that cannot be written (57) included, is one line
// "number - description" on standard error and exit status 1.
template <typename Work>
int numbered(Work work) {
  try {
    const int status = work();
    if (!std::cout.flush()) throw engineError(57);
    return status;
  } catch (const std::exception& failure) {
    const AppError error = asAppError(failure);
    std::cerr << error.number() << " - " << error.description() << "\n";
    return 1;
  }
}

int printSchema(const std::string& path) {
  return numbered([&] {
    DBEngine engine;
    std::cout << schemaJson(*engine.openDatabase(path));
    return 0;
  });
}

int checkDatabase(const std::string& path) {
  return numbered([&] {
    DBEngine engine;
    const std::vector<std::string> faults = engine.openDatabase(path)->storage().check();
    for (const std::string& fault : faults) std::cout << fault << "\n";
    std::cout << path << ": "
              << (faults.empty() ? "consistent" : std::to_string(faults.size()) + " faults")
              << "\n";
    return faults.empty() ? 0 : 1;
  });
}

int exportTable(const std::string& path, const std::string& table) {
  return numbered([&] {
    DBEngine engine;
    exportCsv(*engine.openDatabase(path), table, std::cout);
    return 0;
  });
}

int runBatch(const RunOptions& options) {
  ConsoleView view;
  Settings settings(view, QCoreApplication::applicationDirPath().toStdString(), programName());
  MainForm form(view, settings, options);
  form.load();
  form.unload();
  if (options.report) options.report->finish(form.exitStatus());
  return form.exitStatus();
}

// The window lives in a module beside the program (or in ../lib/telvarn for
// an installed one), loaded only when a window is shown. Without it the run
// happens on the console, and says so.
int runWindow(int argc, char** argv, const RunOptions& options) {
  using RunWindow = int (*)(int, char**, const RunOptions&);
  const std::string folder = std::filesystem::canonical("/proc/self/exe").parent_path().string();
  for (const std::string& path :
       {folder + "/libtelvarn-window.so", folder + "/../lib/telvarn/libtelvarn-window.so"}) {
    if (void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      if (auto run = reinterpret_cast<RunWindow>(::dlsym(module, "telvarnRunWindow"))) {
        return run(argc, argv, options);
      }
    }
  }
  std::cerr << "TELVARN: the window module libtelvarn-window.so is missing: "
            << (::dlerror() ? ::dlerror() : "not found") << "; running without a window\n";
  Application app(argc, argv);
  return runBatch(options);
}

// The report file, opened before the run so that a path that cannot be
// written stops the program before it touches anything.
std::unique_ptr<RunReport> openRunReport(const std::string& path) {
  if (path.empty()) return nullptr;
  return std::make_unique<RunReport>(path);
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard output (a reader that went away) is a failed write
  // the view handles, never a signal that ends the run half-way.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const CommandLine line = parseCommandLine(arguments);
  switch (line.action) {
    case CommandLine::Action::Refused:
      std::cerr << "TELVARN: " << line.refusal << "\n\n" << usageText();
      return 2;
    case CommandLine::Action::Help:
      std::cout << usageText();
      return 0;
    case CommandLine::Action::Version:
      std::cout << "TELVARN " << TELVARN_VERSION_MAJOR << "." << TELVARN_VERSION_MINOR << "."
                << TELVARN_VERSION_PATCH << "\n";
      return 0;
    case CommandLine::Action::Schema: {
      Application app(argc, argv);
      return printSchema(line.file);
    }
    case CommandLine::Action::Check:
      return checkDatabase(line.file);
    case CommandLine::Action::Export:
      return exportTable(line.file, line.table);
    case CommandLine::Action::Run:
      break;
  }
  std::unique_ptr<RunReport> report;
  try {
    report = openRunReport(line.reportFile);
  } catch (const std::exception& failure) {
    const AppError error = asAppError(failure);
    std::cerr << "TELVARN: the report " << line.reportFile
              << " cannot be written: " << error.number() << " - " << error.description() << "\n";
    return 2;
  }
  const RunOptions options{.report = report.get(), .dryRun = line.dryRun};
  if (line.batch || !displayAvailable()) {
    Application app(argc, argv);
    return runBatch(options);
  }
  return runWindow(argc, argv, options);
}
