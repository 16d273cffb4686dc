#pragma once
// The settings files ("skins") a component may use, in the order they were
// listed. Menu commands refer to a file by the address of its stored path,
// which stays put while other files come and go.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velvane {

class IniFileList {
public:
    IniFileList() = default;
    virtual ~IniFileList() = default;
    IniFileList(const IniFileList&) = delete;
    IniFileList& operator=(const IniFileList&) = delete;

    // Appends a copy; the new index, or -1 for an empty path.
    virtual int AddIni(std::u16string_view path);
    // Nothing happens for an index out of range.
    virtual void RemoveIni(int index);
    // The menu label of the holder's component.
    virtual std::u16string_view GetLabel() const = 0;
    // Appends a copy that is in use from the start.
    virtual int AddInitialIni(std::u16string_view path) = 0;
    virtual bool IsActive(int index) const = 0;

    int Count() const { return static_cast<int>(m_paths.size()); }
    // Null when out of range.
    const std::u16string* GetPath(int index) const;
    // Index of the stored string with this address; -1 if none.
    int IndexOf(const std::u16string* path) const;
    bool Contains(std::u16string_view path) const;

private:
    std::vector<std::unique_ptr<std::u16string>> m_paths;
};

} // namespace velvane
