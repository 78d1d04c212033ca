#pragma once
// The open-file dialog: prepares the chooser's request from its properties, runs it
// task-modally, places it on the user's monitor and reads the chosen file names back.
#include <cstdint>
#include <functional>
#include <string>

#include "dialogs/common_dialog.h"
#include "dialogs/open_options.h"
#include "text/string_list.h"
#include "ui/screen.h"

using TCanCloseEvent = std::function<void(TComponent* sender, bool& canClose)>;
using TIncludeItemEvent = std::function<void(TComponent* sender, const TChooserItem& item, bool& include)>;

constexpr int SingleFileBufferSize = 260;
constexpr int MultiFileBufferSize = 65519;

class TOpenDialog : public TCommonDialog, private TChooserObserver {
public:
    explicit TOpenDialog(TComponent* owner);
    const char* ClassName() const override { return "TOpenDialog"; }

    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(std::string ext) { defaultExt_ = std::move(ext); }
    // While the chooser is open, the path it would return now.
    std::string FileName() const;
    void SetFileName(std::string name) { fileName_ = std::move(name); }
    // "description|patterns|description|patterns...", patterns separated by ';'.
    const std::string& Filter() const { return filter_; }
    void SetFilter(std::string filter) { filter_ = std::move(filter); }
    // 1-based; while the chooser is open, the filter it shows.
    int32_t FilterIndex() const;
    void SetFilterIndex(int32_t index) { filterIndex_ = index; }
    const std::string& InitialDir() const { return initialDir_; }
    // Drops one trailing separator, except from a one-byte text and after ':'.
    void SetInitialDir(const std::string& dir);
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions options) { options_ = options; }
    TOpenOptionsEx OptionsEx() const { return optionsEx_; }
    void SetOptionsEx(TOpenOptionsEx options) { optionsEx_ = options; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    TCanCloseEvent OnCanClose;
    TNotifyEvent OnFolderChange, OnSelectionChange, OnTypeChange;
    TIncludeItemEvent OnIncludeItem;

    // Every file chosen in the last run; emptied when a run starts.
    const TStringList& ChosenFiles() const { return chosenFiles_; }

    bool RunDialog() override { return RunOpenDialog(); }
    // True when the user chose a file; false on cancel or failure, leaving FileName,
    // FilterIndex and Options as they were.
    bool RunOpenDialog();
    // The area of the open chooser that is free for added controls; empty when none is open.
    TRect StaticAreaRect() const;
    // Reads FileName and ChosenFiles from the record's file buffer.
    void CollectFileNames(const TFileChooserRequest& record);

    // The chooser that runs; tests put a stand-in here.
    void SetChooser(TChooserFunction chooser) { chooser_ = std::move(chooser); }

    bool ApplyProperty(std::string_view name, const LayoutValue& value, LayoutReader& reader) override;

protected:
    virtual bool DoCanClose();
    virtual void DoSelectionChange();
    virtual void DoFolderChange();
    virtual void DoTypeChange();
    virtual bool DoIncludeItem(const TChooserItem& item);

private:
    void ChooserInitDone(TChooserWindow& window) noexcept override;
    void ChooserSelectionChanged() noexcept override;
    void ChooserFolderChanged() noexcept override;
    void ChooserTypeChanged(const TFileChooserRequest& record) noexcept override;
    bool ChooserFileOk(const TFileChooserRequest& record) noexcept override;
    bool ChooserIncludeItem(const TChooserItem& item) noexcept override;
    void ChooserClosing() noexcept override;

    std::string defaultExt_, fileName_, filter_, initialDir_, title_;
    int32_t filterIndex_ = 1;
    int32_t currentFilterIndex_ = 1;
    TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
    TOpenOptionsEx optionsEx_;
    TStringList chosenFiles_;
    TChooserFunction chooser_ = RunFileChooser;
};
