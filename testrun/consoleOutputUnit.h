#pragma once
// What the console runner writes besides the run's lines: the early check of the folders it will
// read and of the files it will write, the result file of --save, the JSON of --json and the CSV
// of --csv, each with a line saying where it went or why it could not be written.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/machineDescription.h"
#include "results/runJsonUnit.h"
#include "testrun/consoleOptionsUnit.h"
#include "testrun/qualityReportUnit.h"

// The rate of the run's clock line "Тактовая частота: 2245MHz"; nothing for any other line.
std::optional<std::uint64_t> clockRateFromLine(std::string_view line);

// Before the run: whether the folders of the files of --save, --json and --csv (not standard
// output)
// can take a new file. When one cannot, says so with the system's reason on `err` and returns
// false.
[[nodiscard]] bool checkOutputFolders(const ConsoleOptions& options, std::ostream& err);

// Before the run: whether every folder of --cpus is a folder that can be read. When one is not
// (missing, a file, a FIFO, unreadable), says so with the system's reason on `err` and returns
// false.
[[nodiscard]] bool checkResultFolders(const ConsoleOptions& options, std::ostream& err);

// Processor, bus, memory and operating system: each as given on the command line, otherwise the
// machine's own.
std::array<std::string, 4> runDescriptions(const ConsoleOptions& options,
                                           const platform::MachineDescription& machine);

// The machine part of the JSON: the four lines, what the machine reports about itself, and the
// governors and hypervisor as read for the quality report before the run.
RunMachine currentRunMachine(const std::array<std::string, 4>& descriptions,
                             const RunConditions& conditions);

// Saves `results` with `descriptions` as the result file `file`. Says where it went on
// `report`, or "Ошибка записи" with the path and the reason on `err`; the result says which.
[[nodiscard]] bool saveConsoleResults(const std::string& file,
                                      const std::array<std::string, 4>& descriptions,
                                      const ResultTable& results, std::ostream& report,
                                      std::ostream& err);

// Writes `json` and a newline to `file` ("-": standard output). For a file, says where it went
// on `report`; a failure is reported like a failed save.
[[nodiscard]] bool writeConsoleJson(const std::string& file, const std::string& json,
                                    std::ostream& report, std::ostream& err);

// Writes `csv` to `file` ("-": standard output) through the result files' safe replacement, so a
// failure leaves an old file as it was. For a file, says where it went on `report`; a failure is
// reported like a failed save.
[[nodiscard]] bool writeConsoleCsv(const std::string& file, const std::string& csv,
                                   std::ostream& report, std::ostream& err);
