// The nine registry operations. They address a key by one text, the registry path
// ("HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\Toolbar"), keep no state, show no
// message and report no failure: a failure yields the empty text, the empty list or nothing done.
//
// In their names a Folder is a registry key and a Key is a named value within it.
// The operations call one another through this virtual interface, so that a window that
// offers them as its own (frmIE) is the one that serves those calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "registry/modRegistry.h"

namespace plumeroll {

// What reading a value found: its text, or why there is none, as the status of the call that
// ended the reading: kErrorFileNotFound when the key or the value is absent (or the path names
// no hive), any other status when the registry did not let it be read.
struct ValueRead {
  RegStatus status = kErrorSuccess;
  std::string text;                  // the data up to their first NUL, when status is 0
  const char* call = "RegOpenKeyA";  // the registry function that gave status
};

class RegistryOperations {
 public:
  explicit RegistryOperations(modRegistry& api) : api_(api) {}
  virtual ~RegistryOperations() = default;
  RegistryOperations(const RegistryOperations&) = delete;
  RegistryOperations& operator=(const RegistryOperations&) = delete;

  virtual void DeleteFolder(std::string Path);
  virtual void DeleteKey(std::string Path, std::string Key);
  virtual std::int32_t ValuePath(std::string Path);
  virtual std::string StringPath(std::int32_t hKey, std::string Path);
  virtual std::string ReadKeyValue(std::string Path, std::string Key);
  virtual void WriteKeyValue(std::string Path, std::string Key, std::string Value);
  virtual std::vector<std::string> ReadSubFolders(std::string Path);
  virtual double CountFolders(std::string Path);
  virtual std::vector<std::string> ReadKeyListValue(std::string Path);

  // ReadKeyValue's reading, with its calls, telling an absent value from one that could not be
  // read.
  virtual ValueRead QueryKeyValue(std::string Path, std::string Key);

 protected:
  modRegistry& api() { return api_; }

 private:
  modRegistry& api_;
};

}  // namespace plumeroll
