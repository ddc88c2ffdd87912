// Registry hive files (the regf format of a Windows installation's config folder and of its
// user profiles) as stores. Linux builds read and write them through hivex
// (posix_hive_store.cpp); Windows builds have no hive backend (win32_hive_store.cpp answers
// with the reason).
#pragma once

#include <memory>
#include <string>

#include "store/store.h"

namespace hivewarden::registry {

// One hive file as a store. Every root key is the hive's root key: a hive is mounted at a
// registry path by a MountedStore. Value bytes are exactly what the hive holds; names are
// UTF-8; subkeys enumerate in case-insensitive name order, values in the hive's order.
//
// Changes are made on a copy of the hive held in memory; Commit writes that copy to a new
// file in the hive's folder, flushes it to the disk and renames it over the hive, so the file
// is either the old hive or the new one. A hive that is not to be written (its transaction
// logs hold changes not in it, another program holds it locked, it is damaged) opens read
// only: every change answers false and ReadOnlyReason says why.
class HiveStore : public RegistryStore {
public:
    // The file the hive was read from.
    virtual const std::string& Path() const = 0;
    // Why the hive is read only, naming the file; empty when it may be written.
    virtual const std::string& ReadOnlyReason() const = 0;
    // True when a change is waiting for Commit.
    virtual bool Changed() const = 0;
    // False, with the reason naming the file, when a Commit now would be refused: the hive is
    // read only, another program holds it locked, or the file changed on disk since it was
    // read. Nothing is written.
    virtual bool CheckWritable(std::string& error) = 0;
};

// False on builds without a hive backend (Windows).
bool HiveFilesSupported();

// Opens the hive at `path` (UTF-8); `forWriting` false opens it read only without asking
// whether it could be written (for reading a few values). A damaged hive that can still be
// read in part opens read only, and ReadOnlyReason says what cannot be read. Null, with the reason naming the file,
// when it cannot be read at all or is no hive.
std::unique_ptr<HiveStore> OpenHiveFile(const std::string& path, std::string& error,
                                        bool forWriting = true);

}  // namespace hivewarden::registry
