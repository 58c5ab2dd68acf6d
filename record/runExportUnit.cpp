// Layer korvex_results: includes only its own layer and korvex_platform; no Qt.

#include "record/runExportUnit.h"

std::vector<StoredMachine> storedMachines(const std::deque<TCpuRecord>& records,
                                          const std::vector<ResultFileRecords>& files) {
    std::vector<StoredMachine> machines;
    for (const ResultFileRecords& file : files) {
        const std::string path = file.file.string();
        for (std::size_t record = 0; record < file.count && file.first + record < records.size();
             ++record) {
            // Named by its place in the file, unless it is all the file holds.
            const std::uint64_t place = file.place(record);
            const bool reported = file.coresRecord == record;
            machines.push_back(
                {path, place,
                 file.count == 1 && place == 0 ? path : path + "#" + std::to_string(place + 1),
                 &records[file.first + record], file.cores && reported ? &*file.cores : nullptr,
                 reported && !file.kernelCode.empty() ? &file.kernelCode : nullptr,
                 reported && !file.warnings.empty() ? &file.warnings : nullptr,
                 reported && file.quality ? &*file.quality : nullptr});
        }
    }
    return machines;
}
