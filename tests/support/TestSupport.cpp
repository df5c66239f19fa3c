#include "support/TestSupport.h"

#include "core/Folders.h"

TTempDataFolder::TTempDataFolder()
{
    SetDataFolder(dir_.path());
    CreateDataFolders();
}

TTempDataFolder::~TTempDataFolder() = default;

QString TTempDataFolder::path() const { return DataFolder(); }

TMessageRecorder::TMessageRecorder()
{
    previous_ = SetMessageBoxHandler([this](const TMessageBoxRequest& r) {
        messages_.push_back(r);
        if (!answers_.empty()) {
            int a = answers_.front();
            answers_.pop_front();
            return a;
        }
        switch (r.flags & 0x0F) {
        case MB_YESNO:
        case MB_YESNOCANCEL: return int(IDYES);
        default: return int(IDOK);
        }
    });
}

TMessageRecorder::~TMessageRecorder() { SetMessageBoxHandler(std::move(previous_)); }
