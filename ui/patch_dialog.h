#pragma once

// The tool's only window. The form (three paths, two addresses, the model list, "Create new
// file", whose check box holds that choice) and the mode flag live here; the handlers keep
// the form consistent with them. Do copies the form into a PatchJob and hands it to the
// engine's RunJob, asks first where the transcript would overrun the model's block, then
// reports with the done or the failure dialog. Model picks fill the address fields from the
// engine's preset table.

#include <cstdint>
#include <optional>
#include <string>

#include "dialog.h"
#include "file_dialog.h"
#include "model_presets.h"
#include "patch_job.h"

namespace zarneth {

class CPatchDialog : public fw::CDialog {
 public:
  explicit CPatchDialog(fw::CWnd* parent = nullptr);

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::CDataExchange* pDX) override;
  void OnSysCommand(unsigned id, long lParam) override;
  void OnPaint() override;
  fw::HICON OnQueryDragIcon() override;
  std::span<const fw::MessageMapEntry> GetMessageMap() const override;

  void OnBrowseSource();
  void OnBrowseTranscript();
  void OnBrowseDest();
  void OnToggleCreateNew();
  void OnDo();
  void OnModelSelected();
  void OnToggleMode();
  void OnSourceChanged();
  // The window menu's find-the-block entry: the find dialog, whose place fills the
  // addresses, or whose version kept joins the model list, chosen.
  void OnFindBlock();

  fw::CEdit m_editEnd;
  fw::CButton m_btnMode;
  fw::CButton m_btnBrowseTranscript;
  fw::CComboBox m_comboModel;
  fw::CEdit m_editStart;
  fw::CButton m_btnBrowseDest;
  fw::CButton m_chkCreateNew;
  fw::CEdit m_editTranscript;
  fw::CEdit m_editSource;
  fw::CEdit m_editDest;
  // The path texts of the last run, as Do read them from the form; its job takes them here.
  std::string m_sourcePath;
  std::string m_transcriptPath;
  std::string m_destPath;
  bool m_zarnethMode = true;
  std::uint32_t m_start = 0;
  std::uint32_t m_cutLength = 0;
  fw::HICON m_hIcon = nullptr;

 private:
  static const fw::MessageMapEntry kMessageMap[8];

  // Asks whether to write a transcript that the run refused for overrunning the model's
  // block; true for Yes, else the failure dialog has said that nothing was written.
  static bool AskToOverrun(const PatchJob& job, const WriteResult& refused);
  // Reads the user's model tables and adds their versions after those the list holds.
  void LoadModelList();
  // Selects the version `name` in the list and fills its addresses; false where the list
  // has no such version.
  bool SelectModel(const std::string& name);
  // Whether "Create new file" is checked.
  bool CreatesNewFile() const;
  // The preset of the model the list shows, found by its text: the list sorts its items, so
  // its order need not be the table's.
  std::optional<ModelPreset> SelectedPreset() const;
};

}  // namespace zarneth
