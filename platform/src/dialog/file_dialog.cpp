#include "../backend.h"
#include "file_dialog_window.h"
#include "platform/dialog.h"
#include "platform/file.h"
#include "platform/messagebox.h"
#include "platform/text.h"
#include "platform/transcript.h"

namespace platform {

namespace {

enum : int { IdFolder = 100, IdList = 101, IdName = 102, IdFilter = 103, IdNameLabel = 104 };

DialogTemplate FileTemplate(const FileDialogOptions& o) {
    DialogTemplate t;
    t.caption = o.title;
    t.fontFace = u"Arial";
    t.fontPoints = 8;
    t.cx = 150;
    t.cy = 122;
    t.controls = {
        {IdFolder, ControlKind::Static, u"", 4, 3, 142, 9, 0},
        {IdList, ControlKind::ListBox, u"", 4, 14, 142, 62,
         ControlStyle::Notify | ControlStyle::VScroll | ControlStyle::Border},
        {IdNameLabel, ControlKind::Static, u"Name:", 4, 81, 24, 9, 0},
        {IdName, ControlKind::Edit, u"", 30, 79, 116, 12, 0},
        {IdFilter, ControlKind::Static, o.filterName + u" (" + o.pattern + u")", 4, 94, 142, 9, 0},
        {IdOk, ControlKind::PushButton, u"OK", 48, 105, 46, 14, ControlStyle::Default},
        {IdCancel, ControlKind::PushButton, u"Abbrechen", 100, 105, 46, 14, 0},
    };
    return t;
}

std::u16string WithSlash(std::u16string dir) {
    if (dir.empty() || (dir.back() != u'\\' && dir.back() != u'/'))
        dir += u'\\';
    return dir;
}

// Lists folders and matching files; a tap on a folder opens it, on a file
// takes its name; OK checks and returns the path.
class FileDialogHandler : public DialogHandler {
public:
    explicit FileDialogHandler(const FileDialogOptions& o) : m_options(o) {
        m_folder = WithSlash(o.initialDirectory.empty() ? u"\\" : o.initialDirectory);
        if (!DirectoryExists(m_folder))
            m_folder = u"\\";
    }

    bool OnInit(Dialog& d) override {
        d.SetText(IdName, m_options.fileName);
        Fill(d);
        return true;
    }

    void OnCommand(Dialog& d, int id, Notification n) override {
        if (id == IdList && n == Notification::SelectionChanged) {
            int sel = d.GetCurSel(IdList);
            std::u16string item = d.GetItemText(IdList, sel);
            if (d.GetItemData(IdList, sel) == 1)
                Enter(d, item.substr(1, item.size() - 2));
            else
                d.SetText(IdName, item);
        } else if (id == IdOk && n == Notification::Clicked) {
            Accept(d);
        } else if (id == IdCancel && n == Notification::Clicked) {
            d.End(IdCancel);
        }
    }

    std::optional<std::u16string> m_result;

private:
    void Fill(Dialog& d) {
        d.SetText(IdFolder, m_folder);
        d.ResetContent(IdList);
        if (m_folder != u"\\")
            d.SetItemData(IdList, d.AddString(IdList, u"[..]"), 1);
        for (auto& f : FindFiles(m_folder + u"*"))
            if ((f.attributes & AttributeDirectory) && !(f.attributes & AttributeHidden))
                d.SetItemData(IdList, d.AddString(IdList, u"[" + f.name + u"]"), 1);
        for (auto& f : FindFiles(m_folder + m_options.pattern))
            if (!(f.attributes & AttributeDirectory) && !(f.attributes & AttributeHidden))
                d.AddString(IdList, f.name);
    }

    void Enter(Dialog& d, const std::u16string& name) {
        if (name == u"..") {
            size_t cut = m_folder.find_last_of(u"\\/", m_folder.size() - 2);
            m_folder = cut == std::u16string::npos ? u"\\" : m_folder.substr(0, cut + 1);
        } else {
            m_folder += name + u"\\";
        }
        Fill(d);
    }

    void Accept(Dialog& d) {
        std::u16string name = d.GetText(IdName);
        while (!name.empty() && name.back() == u' ')
            name.pop_back();
        if (name.empty()) {
            Beep();
            return;
        }
        std::u16string path = (name[0] == u'\\' || name[0] == u'/') ? name : m_folder + name;
        if (DirectoryExists(path)) {
            m_folder = WithSlash(path);
            d.SetText(IdName, u"");
            Fill(d);
            return;
        }
        size_t slash = path.find_last_of(u"\\/");
        if (!m_options.defaultExtension.empty() &&
            path.find(u'.', slash + 1) == std::u16string::npos)
            path += u"." + m_options.defaultExtension;
        if (path.size() + 1 > m_options.maxLength) {
            MessageBox(&d.GetWindow(), u"Der Dateiname ist zu lang.", m_options.title,
                       MessageBoxButtons::Ok, MessageBoxIcon::Exclamation);
            return;
        }
        if (m_options.fileMustExist && !FileExists(path)) {
            MessageBox(&d.GetWindow(), path + u"\nDie Datei wurde nicht gefunden.", m_options.title,
                       MessageBoxButtons::Ok, MessageBoxIcon::Exclamation);
            return;
        }
        m_result = path;
        d.End(IdOk);
    }

    FileDialogOptions m_options;
    std::u16string m_folder;
};

std::optional<std::u16string> RunFileDialog(const FileDialogOptions& options, bool save) {
    auto path = CurrentBackend().ShowFileDialog(options);
    TranscriptWrite(std::string("filedialog ") + (save ? "save" : "open") + " title=\"" +
                    QuoteForTranscript(options.title) + "\" answer=" +
                    (path ? "\"" + QuoteForTranscript(*path) + "\"" : std::string("cancel")));
    return path;
}

} // namespace

std::optional<std::u16string> ShowFileDialogWindow(const FileDialogOptions& options) {
    FileDialogHandler handler(options);
    int result = Dialog::RunModal(FileTemplate(options), handler, options.owner);
    return result == IdOk ? handler.m_result : std::nullopt;
}

std::optional<std::u16string> GetOpenFileName(const FileDialogOptions& options) {
    return RunFileDialog(options, false);
}

std::optional<std::u16string> GetSaveFileName(const FileDialogOptions& options) {
    return RunFileDialog(options, true);
}

Dialog* OpenFileDialogModeless(const FileDialogOptions& options,
                               std::function<void(std::optional<std::u16string>)> done) {
    // A handler must outlive its dialog; these stay for the rest of the run.
    struct Modeless : FileDialogHandler {
        Modeless(const FileDialogOptions& o, std::function<void(std::optional<std::u16string>)> f)
            : FileDialogHandler(o), m_done(std::move(f)) {}
        void OnCommand(Dialog& d, int id, Notification n) override {
            FileDialogHandler::OnCommand(d, id, n);
            if (d.IsEnded() && m_done)
                m_done(m_result);
        }
        std::function<void(std::optional<std::u16string>)> m_done;
    };
    static std::vector<std::unique_ptr<Modeless>> handlers;
    handlers.push_back(std::make_unique<Modeless>(options, std::move(done)));
    return Dialog::CreateModeless(FileTemplate(options), *handlers.back(), options.owner);
}

} // namespace platform
