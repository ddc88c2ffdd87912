// What a findings file records of the scan that made it: the program and its version, the
// time, and the sources scanned (registry files, hives, prefix, installation, drive mapping);
// and the comparison `repair --from` makes with the sources it is given.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "machine/machine_source.h"

namespace hivewarden::cli {

// The sources as JSON: file and folder names made absolute, so that the same machine given
// from another working folder compares equal.
nlohmann::ordered_json SourcesToJson(const machine::MachineSource& source);

// Adds "program", "version", "time" (UTC, ISO 8601) and "sources" to a findings file.
void RecordScan(nlohmann::ordered_json& findings, const machine::MachineSource& source);

// A warning when the findings were made from other sources than `source` (`recorded`: the
// file's "sources" as JSON text, empty when it has none), or empty text.
std::string SourcesDiffer(const std::string& recorded, const machine::MachineSource& source);

}  // namespace hivewarden::cli
