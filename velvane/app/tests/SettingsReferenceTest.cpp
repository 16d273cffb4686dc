// docs/settings.md must stay true to the readers: every key or section name a
// reader matches is documented under a heading that names that reader, and
// every name documented there is one the reader still matches.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path SourceDir = SUITE_SOURCE_DIR;
const fs::path Reference = SourceDir / "docs" / "settings.md";

using NameSet = std::set<std::string>;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Collect(const std::string& text, const std::regex& pattern, NameSet& names) {
    for (std::sregex_iterator i(text.begin(), text.end(), pattern), end; i != end; ++i)
        names.insert((*i)[1].str());
}

// The ways a reader names what it matches: keyword matches on a key or
// section name, exact comparisons, one-letter keys, key tables, section name
// arrays and constants, and the section names of component classes.
NameSet NamesReadIn(const std::string& source) {
    static const std::vector<std::regex> Patterns{
        std::regex(R"re(KeywordMatch\(u"([^"]+)",\s*(?:key|name)\))re"),
        std::regex(R"re((?:key|name)\s*==\s*u"([^"]+)")re"),
        std::regex(R"re(IsKey\(key,\s*u'(.)')re"),
        std::regex(R"re(\{u"([^"]+)",\s*&)re"),
        std::regex(R"re(SectionName\s*=\s*u"([^"]+)")re"),
        std::regex(R"re(ComponentClassOf<\w+>\s+\w+::Class\{\s*u"([^"]+)")re"),
    };
    NameSet names;
    for (const std::regex& pattern : Patterns)
        Collect(source, pattern, names);
    static const std::regex Arrays(R"re(SectionNames\[\]\s*=\s*\{([^}]*)\})re");
    static const std::regex Quoted(R"re(u"([^"]+)")re");
    for (std::sregex_iterator i(source.begin(), source.end(), Arrays), end; i != end; ++i)
        Collect((*i)[1].str(), Quoted, names);
    return names;
}

// Reader sources by path relative to the source root ("velvane/app/X.cpp"),
// each with the names it matches; sources that match none are left out.
std::map<std::string, NameSet> ReadersInCode() {
    std::map<std::string, NameSet> readers;
    for (const auto& entry : fs::recursive_directory_iterator(SourceDir / "velvane")) {
        const fs::path& path = entry.path();
        if (!entry.is_regular_file() || path.extension() != ".cpp" ||
            path.parent_path().filename() == "tests")
            continue;
        NameSet names = NamesReadIn(ReadFile(path));
        if (!names.empty())
            readers[fs::relative(path, SourceDir).generic_string()] = std::move(names);
    }
    return readers;
}

// One "## " part of the reference: the readers its "Read by" line names and
// the names it documents (first cells of table rows, "### Section" headings).
struct DocumentedFile {
    std::string heading;
    std::vector<std::string> readers;
    NameSet names;
};

std::vector<DocumentedFile> FilesInReference(const std::string& text) {
    static const std::regex Row(R"re(^\| "([^"]+)")re");
    static const std::regex Section(R"re(^### Section "([^"]+)")re");
    static const std::regex Reader(R"re(`(velvane/[^`]+\.cpp)`)re");
    std::vector<DocumentedFile> files;
    std::istringstream lines(text);
    std::string line;
    std::smatch match;
    while (std::getline(lines, line)) {
        if (line.rfind("## ", 0) == 0) {
            files.push_back({line.substr(3), {}, {}});
            continue;
        }
        if (files.empty())
            continue;
        DocumentedFile& file = files.back();
        if (line.rfind("Read by ", 0) == 0) {
            for (std::sregex_iterator i(line.begin(), line.end(), Reader), end; i != end; ++i)
                file.readers.push_back((*i)[1].str());
        } else if (std::regex_search(line, match, Row) || std::regex_search(line, match, Section)) {
            file.names.insert(match[1].str());
        }
    }
    return files;
}

class SettingsReference : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(Reference)) << Reference << " is missing";
        m_files = FilesInReference(ReadFile(Reference));
        m_readers = ReadersInCode();
        ASSERT_FALSE(m_files.empty()) << "no \"## \" headings in " << Reference;
    }

    std::vector<DocumentedFile> m_files;
    std::map<std::string, NameSet> m_readers;
};

TEST_F(SettingsReference, DocumentsEveryNameTheCodeReads) {
    for (const auto& [source, names] : m_readers) {
        NameSet documented;
        bool named = false;
        for (const DocumentedFile& file : m_files) {
            for (const std::string& reader : file.readers) {
                if (reader == source) {
                    named = true;
                    documented.insert(file.names.begin(), file.names.end());
                }
            }
        }
        if (!named) {
            ADD_FAILURE() << source << " reads settings, but no \"Read by\" line of "
                          << "docs/settings.md names it";
            continue;
        }
        for (const std::string& name : names)
            EXPECT_TRUE(documented.count(name))
                << "\"" << name << "\", read in " << source << ", is missing from "
                << "docs/settings.md (as a table row | \"" << name << "\" | or a heading "
                << "### Section \"" << name << "\")";
    }
}

TEST_F(SettingsReference, DocumentsNoNameItsReadersDoNotRead) {
    for (const DocumentedFile& file : m_files) {
        NameSet read;
        for (const std::string& reader : file.readers) {
            auto found = m_readers.find(reader);
            ASSERT_NE(found, m_readers.end()) << "\"" << file.heading << "\" names " << reader
                                              << ", which does not exist or reads no settings";
            read.insert(found->second.begin(), found->second.end());
        }
        if (file.readers.empty()) {
            EXPECT_TRUE(file.names.empty())
                << "\"" << file.heading << "\" documents names but has no \"Read by\" line";
            continue;
        }
        for (const std::string& name : file.names)
            EXPECT_TRUE(read.count(name)) << "\"" << name << "\" in \"" << file.heading
                                          << "\" is read by none of its readers: stale";
    }
}

} // namespace
