#include "patch_dialog.h"

#include <algorithm>
#include <filesystem>

#include "about_box.h"
#include "file_dialog.h"
#include "file_pick.h"
#include "find_block_dialog.h"
#include "hex_address.h"
#include "model_presets.h"
#include "model_table.h"
#include "operations.h"
#include "paint_dc.h"
#include "patch_job.h"
#include "resource_ids.h"
#include "resource_registry.h"
#include "resources.h"
#include "result_dialog.h"
#include "run_report.h"
#include "win_app.h"
#include "words.h"

namespace zarneth {

using namespace fw;

namespace {

// The window's caption in a mode: the template's, and the mode.
std::string CaptionOf(PatchMode mode) {
  return std::string(res::kMainCaption) +
         (mode == PatchMode::Zarneth ? " - zarneth mode" : " - cut mode");
}

}  // namespace

const MessageMapEntry CPatchDialog::kMessageMap[8] = {
    {res::IDC_BROWSE_SOURCE, BN_CLICKED, Handler(&CPatchDialog::OnBrowseSource)},
    {res::IDC_BROWSE_TRANSCRIPT, BN_CLICKED, Handler(&CPatchDialog::OnBrowseTranscript)},
    {res::IDC_BROWSE_DESTINATION, BN_CLICKED, Handler(&CPatchDialog::OnBrowseDest)},
    {res::IDC_CREATE_NEW, BN_CLICKED, Handler(&CPatchDialog::OnToggleCreateNew)},
    {res::IDC_DO, BN_CLICKED, Handler(&CPatchDialog::OnDo)},
    {res::IDC_MODEL, CBN_SELCHANGE, Handler(&CPatchDialog::OnModelSelected)},
    {res::IDC_MODE, BN_CLICKED, Handler(&CPatchDialog::OnToggleMode)},
    {res::IDC_SOURCE, EN_CHANGE, Handler(&CPatchDialog::OnSourceChanged)},
};

CPatchDialog::CPatchDialog(CWnd* parent) : CDialog(res::IDD_ZARNETH_DIALOG, parent) {
  m_hIcon = LoadIconResource(res::IDR_MAINFRAME);
}

std::span<const MessageMapEntry> CPatchDialog::GetMessageMap() const {
  return kMessageMap;
}

void CPatchDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_END, m_editEnd);
  DDX_Control(pDX, res::IDC_MODE, m_btnMode);
  DDX_Control(pDX, res::IDC_BROWSE_TRANSCRIPT, m_btnBrowseTranscript);
  DDX_Control(pDX, res::IDC_MODEL, m_comboModel);
  DDX_Control(pDX, res::IDC_START, m_editStart);
  DDX_Control(pDX, res::IDC_BROWSE_DESTINATION, m_btnBrowseDest);
  DDX_Control(pDX, res::IDC_CREATE_NEW, m_chkCreateNew);
  DDX_Control(pDX, res::IDC_TRANSCRIPT, m_editTranscript);
  DDX_Control(pDX, res::IDC_SOURCE, m_editSource);
  DDX_Control(pDX, res::IDC_DESTINATION, m_editDest);
}

bool CPatchDialog::OnInitDialog() {
  CDialog::OnInitDialog();

  if (CMenu* systemMenu = GetSystemMenu(WindowMenu::AsItIs)) {
    const std::string about = LoadString(res::IDS_ABOUTBOX);
    if (!about.empty()) {
      systemMenu->AppendMenu(MF_SEPARATOR);
      systemMenu->AppendMenu(MF_STRING, res::IDM_ABOUTBOX, about);
    }
    systemMenu->AppendMenu(MF_STRING, res::IDM_FINDBLOCK, Tr("&Find the block in this image..."));
  }

  // Files dropped from a file manager onto a path field fill it in.
  for (CEdit* pathField : {&m_editSource, &m_editTranscript, &m_editDest})
    pathField->DragAcceptFiles();

  SetIcon(m_hIcon, IconSize::Big);
  SetIcon(m_hIcon, IconSize::Small);
  m_chkCreateNew.SetCheck(BST_CHECKED);  // the form's default: a patched copy

  // The versions of the user's tables follow the built-in four, in the tables' order.
  LoadModelList();

  // Selecting sends no notification, so the first row's addresses are written here.
  m_comboModel.SetCurSel(0);
  if (const auto first = SelectedPreset()) {
    m_editStart.SetWindowText(first->StartText());
    m_editEnd.SetWindowText(first->EndText());
  }

  SetWindowText(CaptionOf(PatchMode::Zarneth));
  return true;  // focus goes to the first tab stop, the model list
}

void CPatchDialog::OnToggleMode() {
  m_zarnethMode = !m_zarnethMode;
  // The button names the mode it switches to. Destination and its Browse button keep the
  // state the create-new check box gave them.
  m_editTranscript.EnableWindow(m_zarnethMode);
  m_chkCreateNew.EnableWindow(m_zarnethMode);
  m_btnBrowseTranscript.EnableWindow(m_zarnethMode);
  m_btnMode.SetWindowText(m_zarnethMode ? "Cut mode" : "Zarneth mode");
  SetWindowText(CaptionOf(m_zarnethMode ? PatchMode::Zarneth : PatchMode::Cut));
  m_editEnd.ShowWindow(m_zarnethMode ? SW_HIDE : SW_SHOW);
}

void CPatchDialog::OnToggleCreateNew() {
  // The automatic check box has already flipped its own mark.
  m_editDest.EnableWindow(CreatesNewFile());
  m_btnBrowseDest.EnableWindow(CreatesNewFile());
}

bool CPatchDialog::CreatesNewFile() const {
  return m_chkCreateNew.GetCheck() == BST_CHECKED;
}

void CPatchDialog::OnModelSelected() {
  if (const auto preset = SelectedPreset()) {
    m_editStart.SetWindowText(preset->StartText());
    m_editEnd.SetWindowText(preset->EndText());
  }
  m_editEnd.ShowWindow(m_zarnethMode ? SW_HIDE : SW_SHOW);
}

void CPatchDialog::LoadModelList() {
  if (const auto refused = UseModelTables())
    // TRANSLATORS: %s is why the user's model table was refused ("cannot read file ...").
    AfxMessageBox(TrFill("Your versions are not listed: %s.", {*refused}), MB_OK | MB_ICONERROR);
  std::vector<std::string> listed;
  for (int row = 0; row < m_comboModel.GetCount(); ++row)
    listed.push_back(m_comboModel.GetLBText(row));
  for (const ModelEntry& model : KnownModels()) {
    const bool inList = std::any_of(listed.begin(), listed.end(), [&](const std::string& name) {
      return ModelNamesMatch(name, model.name);
    });
    if (!inList) {
      m_comboModel.InsertString(-1, model.name);
      listed.push_back(model.name);
    }
  }
}

bool CPatchDialog::SelectModel(const std::string& name) {
  for (int row = 0; row < m_comboModel.GetCount(); ++row) {
    if (ModelNamesMatch(m_comboModel.GetLBText(row), name)) {
      m_comboModel.SetCurSel(row);
      OnModelSelected();
      return true;
    }
  }
  return false;
}

void CPatchDialog::OnSourceChanged() {
  // An image that the tables' fingerprints know as exactly one version selects it; any
  // other file, or none, moves nothing. Only a regular file is opened, so typing a path
  // costs nothing until it names one.
  const std::string text = m_editSource.GetWindowText();
  std::error_code error;
  if (text.empty() ||
      !std::filesystem::is_regular_file(std::u8string(text.begin(), text.end()), error))
    return;
  try {
    const IdentifyResult identified = Run(IdentifyImage{text});
    if (identified.status.ok() && identified.versions.size() == 1)
      SelectModel(identified.versions.front().name);
  } catch (const std::exception&) {
    // A file that cannot be read now is no version; Do will say why if it is used.
  }
}

void CPatchDialog::OnFindBlock() {
  CFindBlockDialog find(m_editSource.GetWindowText(), UserModelTablePath());
  if (find.DoModal() != IDOK || !find.Chosen())
    return;
  const FoundBlock& found = *find.Chosen();
  if (!found.keptAs.empty()) {
    // The table changed: the list shows the version kept, chosen.
    m_comboModel.ResetContent();
    for (const ModelPreset& preset : kModelPresets)
      m_comboModel.InsertString(-1, std::string(preset.model));
    LoadModelList();
    if (SelectModel(found.keptAs))
      return;
  }
  m_editStart.SetWindowText(FormatHexAddress(found.start));
  m_editEnd.SetWindowText(FormatHexAddress(found.end));
}

std::optional<ModelPreset> CPatchDialog::SelectedPreset() const {
  const int row = m_comboModel.GetCurSel();
  if (row == fw::CB_ERR)
    return std::nullopt;
  return FindModel(m_comboModel.GetLBText(row));
}

void CPatchDialog::OnBrowseSource() {
  BrowseInto(FilePicker::Open, m_editSource);
}

void CPatchDialog::OnBrowseTranscript() {
  BrowseInto(FilePicker::Open, m_editTranscript);
}

void CPatchDialog::OnBrowseDest() {
  BrowseInto(FilePicker::SaveAs, m_editDest);
}

void CPatchDialog::OnDo() {
  // Only the fields the current mode uses are read, whether enabled or visible or not.
  PatchJob job;
  job.mode = m_zarnethMode ? PatchMode::Zarneth : PatchMode::Cut;
  job.createNewFile = CreatesNewFile();
  m_sourcePath = m_editSource.GetWindowText();
  job.sourcePath = m_sourcePath;
  job.startText = m_editStart.GetWindowText();
  if (m_zarnethMode) {
    m_transcriptPath = m_editTranscript.GetWindowText();
    job.transcriptPath = m_transcriptPath;
    if (job.createNewFile) {
      m_destPath = m_editDest.GetWindowText();
      job.destinationPath = m_destPath;
    }
  } else {
    job.endText = m_editEnd.GetWindowText();
    m_destPath = m_editDest.GetWindowText();
    job.destinationPath = m_destPath;
  }

  // With the model's own start the engine refuses a transcript longer than the model's block;
  // the user is asked before anything is written.
  if (m_zarnethMode) {
    if (const auto preset = SelectedPreset())
      job.model = std::string(preset->model);
  }

  // A file error escaping the run goes on to the framework's report; no result dialog. No
  // file was changed then.
  WriteResult result = RunJob(job);
  if (result.status.refusal == Refusal::Overrun) {
    if (!AskToOverrun(job, result))
      return;
    job.allowOverrun = true;
    result = RunJob(job);
  }
  m_start = result.start;
  if (!m_zarnethMode)
    m_cutLength = static_cast<std::uint32_t>(result.placedBytes);

  const bool done = result.outcome() == PatchOutcome::Done;
  std::vector<std::string> detail;
  if (done) {
    // The engine's words are clauses, as zarneth-cli prints them after its name; each stands
    // here in a sentence of the dialog's own, which the translator starts with its capital.
    // TRANSLATORS: %s is what the run did ("patched 'fw.bin' in place: wrote ...").
    detail.push_back(TrFill("Result: %s.", {DescribeDone(OperationOf(job), result)}));
    if (!result.warning.empty())
      // TRANSLATORS: %s is what the run could not make sure of ("the new content is in place
      // in ..., but the system did not confirm ...").
      detail.push_back(TrFill("Warning: %s.", {result.warning}));
  } else {
    // TRANSLATORS: %s is why the run failed ("cannot open the source file ...").
    detail.push_back(TrFill("Reason: %s.", {result.status.reason}));
  }
  ShowResultDialog(done ? res::IDD_DONE : res::IDD_FAILED, detail);
}

bool CPatchDialog::AskToOverrun(const PatchJob& job, const WriteResult& refused) {
  const auto preset = FindModel(job.model);
  if (!preset)
    return false;
  const std::string overrun = DescribeOverrun(Tr("The transcript"), *preset,
                                              preset->Length() + refused.status.overrunBytes);
  // TRANSLATORS: %s says what the transcript would overwrite ("The transcript (89156 bytes) is
  // longer than ...").
  const std::string question = TrFill("%s. Write it anyway?", {overrun});
  // No is the default, so Enter and Escape write nothing; the run then ends refused, and says
  // so as any refusal does.
  if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
    return true;
  // TRANSLATORS: %s says what the transcript would have overwritten, as in "%s. Write it
  // anyway?".
  ShowResultDialog(res::IDD_FAILED, {TrFill("%s. Nothing was written.", {overrun})});
  return false;
}

void CPatchDialog::OnSysCommand(unsigned id, long lParam) {
  if ((id & 0xFFF0u) == res::IDM_ABOUTBOX) {
    CAboutBox about;
    about.DoModal();
  } else if ((id & 0xFFF0u) == res::IDM_FINDBLOCK) {
    OnFindBlock();
  } else {
    CDialog::OnSysCommand(id, lParam);
  }
}

void CPatchDialog::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(Message::WM_ICONERASEBKGND, dc);
  const int iconWidth = GetSystemMetrics(SM_CXICON);
  const int iconHeight = GetSystemMetrics(SM_CYICON);
  CRect rect;
  GetClientRect(&rect);
  // Centred; signed division truncates toward zero, as the icon may be larger than the area.
  const int x = (rect.Width() - iconWidth + 1) / 2;
  const int y = (rect.Height() - iconHeight + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HICON CPatchDialog::OnQueryDragIcon() {
  return m_hIcon;
}

}  // namespace zarneth
