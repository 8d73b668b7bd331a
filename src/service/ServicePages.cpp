#include "service/ServicePages.h"

#include <map>
#include <memory>
#include <optional>

#include <fstream>
#include <iterator>

#include "console/TestPrints.h"
#include "decode/CommandDecoder.h"
#include "decode/VirtualPrinterFolder.h"
#include "printer/HexCodec.h"
#include "printer/MemorySpooler.h"
#include "printer/PrintChannel.h"
#include "record/SettingAttributes.h"
#include "settings/BatchSend.h"
#include "settings/SwitchCommands.h"
#include "ticket/Catalogue.h"
#include "ticket/TicketFiles.h"
#include "ticket/TicketGeometry.h"

namespace qvset {
namespace {

// The page texts, Chinese first (the window's captions where the window has them), then English.
struct Text {
    const char* zh;
    const char* en;
};
const Text kStateTitle{"打印机状态", "Printer state"};
const Text kSettingsTitle{"设置", "Settings"};
const Text kTestsTitle{"测试", "Tests"};
const Text kJobsTitle{"最近的作业", "Recent jobs"};
const Text kItem{"项目", "Item"};
const Text kValue{"值", "Value"};
const Text kLastSent{"最后发送", "Last sent"};
const Text kBy{"发送者", "By"};
const Text kJob{"作业", "Job"};
const Text kNeverSent{"从未发送", "never sent"};
const Text kSet{"设置", "Set"};
const Text kSent{"已发送", "Sent"};
const Text kNotSent{"未发送", "Not sent"};
const Text kModeValues{"速度和质量", "Mode values"};
const Text kWhen{"时间", "Time"};
const Text kSize{"字节", "Bytes"};
const Text kName{"名称", "Name"};
const Text kNoJobs{"还没有作业", "No jobs yet"};
const Text kPrinted{"虚拟打印机收到的作业", "What the virtual printer received"};
const Text kListing{"解码", "listing"};
const Text kPicture{"图像", "picture"};
const Text kSelfTest{"打印自检", "Self-test"};
const Text kLineFeed{"换行", "Line feed"};
const Text kFormFeed{"换页", "Form feed"};
const Text kPinTest{"测针功能", "Pin test"};
const Text kBadForm{"表单无效，请重新打开此页。", "The form is not valid; open the page again."};
const Text kUnknownSetting{"没有这个设置。", "There is no such setting."};
const Text kMillimetres{"毫米", "mm"};
const Text kDescription{"票样文件", "Ticket description file"};
const Text kPlan{"计划", "Plan"};
const Text kUpload{"查看计划", "See the plan"};
const Text kApply{"设置票样", "Apply"};
const Text kReason{"原因", "Reason"};
const Text kSends{"发送", "Sends"};
const Text kNotDescription{"这不是票样文件。", "This is not a ticket description file."};
const Text kNothingDiffers{"每一项都与最后发送的相同，不需要发送。",
                           "Every item is as last sent: nothing to send."};

// A description file holds twelve short lines: anything longer is not read.
constexpr std::size_t kMostDescriptionBytes = 65536;
// Stand-ins PlanDescription gives for the page's own texts.
constexpr const char* kNotDescriptionMark = "not a description";
constexpr const char* kNothingDiffersMark = "nothing differs";

// How many of the virtual printer's jobs the jobs page lists, and the largest file it serves.
constexpr std::size_t kMostFolderJobs = 50;
constexpr std::size_t kMostJobFileBytes = std::size_t{16} << 20;

// A job file's name: digits, then .txt, .png or .prn.
bool IsJobFile(std::string_view name) {
    const auto dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot > 9) return false;
    for (const char c : name.substr(0, dot)) {
        if (c < '0' || c > '9') return false;
    }
    const auto suffix = name.substr(dot);
    return suffix == ".txt" || suffix == ".png" || suffix == ".prn";
}

struct PageSet {
    pappl_printer_t* printer;
    PageHooks hooks;
    std::string base;  // "/ipp/print/qv1/qvset"
};

struct Page {
    pappl_client_t* client;
    PageLanguage language;
    const char* T(const Text& text) const { return language == PageLanguage::Chinese ? text.zh : text.en; }
    void Puts(std::string_view text) const { papplClientHTMLPuts(client, std::string(text).c_str()); }
    void Escape(std::string_view text) const { papplClientHTMLEscape(client, text.data(), text.size()); }
};

Page PageOf(pappl_client_t* client) {
    const char* accept = httpGetField(papplClientGetHTTP(client), HTTP_FIELD_ACCEPT_LANGUAGE);
    return Page{client, ChooseLanguage(accept != nullptr ? accept : "")};
}

// The caption of a setting's row: the window's caption in Chinese, the command line's words in English.
std::string Caption(const Page& page, const SettingAttribute& setting) {
    if (page.language == PageLanguage::Chinese) {
        if (const TicketDistance* distance = FindDistance(setting.item))
            return std::string(distance->chineseName);
        return std::string(ItemCaption(setting.item));
    }
    if (const TicketDistance* distance = FindDistance(setting.item)) return std::string(distance->name);
    std::string words = setting.name.substr(std::string_view("qvset-").size());
    for (char& c : words) c = c == '-' ? ' ' : c;
    if (!words.empty()) words[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(words[0])));
    return words;
}

// A value as the page shows it: the window's choice text in Chinese, the word in English.
std::string ValueText(const Page& page, const SettingAttribute& setting, const std::string& value) {
    if (setting.syntax == SettingSyntax::Range) return value + " " + page.T(kMillimetres);
    if (page.language == PageLanguage::Chinese) {
        for (const auto& choice : SwitchChoices()) {
            if (choice.item == setting.item && choice.choiceWord == value)
                return std::string(choice.choiceText);
        }
    }
    return value;
}

void Header(const PageSet& set, const Page& page, const Text& title) {
    papplClientHTMLPrinterHeader(page.client, set.printer, page.T(title), 0, nullptr, nullptr);
    page.Puts("<p class=\"qvset-nav\">");
    const std::pair<const Text*, std::string> links[] = {
        {&kStateTitle, ""}, {&kSettingsTitle, "-settings"}, {&kTestsTitle, "-tests"}, {&kJobsTitle, "-jobs"}};
    for (const auto& [text, suffix] : links) {
        papplClientHTMLPrintf(page.client, "<a class=\"btn\" href=\"%s%s\">%s</a> ", set.base.c_str(),
                              suffix.c_str(), page.T(*text));
    }
    page.Puts("</p>\n");
}

void Message(const Page& page, const std::string& text, bool good) {
    papplClientHTMLPrintf(page.client, "<div class=\"banner\" id=\"qvset-message\" data-good=\"%s\">",
                          good ? "yes" : "no");
    page.Escape(text);
    page.Puts("</div>\n");
}

void StateRow(const Page& page, const ServiceState& state, const std::string& caption,
              const std::string& value, const std::string& label, const std::string& id) {
    papplClientHTMLPrintf(page.client, "<tr id=\"%s\"><th>", id.c_str());
    page.Escape(caption);
    page.Puts("</th><td>");
    page.Escape(value.empty() ? page.T(kNeverSent) : value);
    page.Puts("</td><td>");
    const ServiceJob* job = label.empty() ? nullptr : state.FindJob(label);
    if (job != nullptr) {
        page.Escape(job->when);
        page.Puts("</td><td>");
        page.Escape(job->sender);
        page.Puts("</td><td>");
        page.Escape(job->job);
        page.Puts(" ");
        page.Escape(job->name);
    } else if (!label.empty()) {
        page.Puts("</td><td></td><td>");
        page.Escape(label);
    } else {
        page.Puts("</td><td></td><td>");
    }
    page.Puts("</td></tr>\n");
}

bool StatePage(pappl_client_t* client, void* data) {
    const auto& set = *static_cast<PageSet*>(data);
    const Page page = PageOf(client);
    const ServiceState state = set.hooks.state(set.printer);
    Header(set, page, kStateTitle);
    papplClientHTMLPrintf(
        client,
        "<table class=\"list\" id=\"qvset-state\"><thead><tr><th>%s</th><th>%s</th><th>%s</th>"
        "<th>%s</th><th>%s</th></tr></thead><tbody>\n",
        page.T(kItem), page.T(kValue), page.T(kLastSent), page.T(kBy), page.T(kJob));
    // As the window's panel groups them: the switches (the baud rate with them), then the distances.
    std::vector<const SettingAttribute*> rows;
    for (const auto& setting : SettingAttributes()) {
        if (setting.syntax != SettingSyntax::Range) rows.push_back(&setting);
    }
    for (const auto& setting : SettingAttributes()) {
        if (setting.syntax == SettingSyntax::Range) rows.push_back(&setting);
    }
    for (const SettingAttribute* row : rows) {
        const SettingAttribute& setting = *row;
        const auto value = SettingValue(setting, state.State());
        StateRow(page, state, Caption(page, setting), value ? ValueText(page, setting, *value) : "",
                 SettingJob(setting, state.State()), setting.name);
    }
    const auto& modes = state.State().ModeValues();
    if (modes.empty()) {
        StateRow(page, state, page.T(kModeValues), "", "", "qvset-mode-values");
    }
    for (const auto& [mode, stored] : modes) {
        StateRow(page, state, std::string(page.T(kModeValues)) + " " + std::to_string(mode),
                 stored.Decoded().meaning, stored.job, "qvset-mode-" + std::to_string(mode));
    }
    page.Puts("</tbody></table>\n");
    papplClientHTMLPrinterFooter(client);
    return true;
}

// The form's fields after the login and the form's own check; nullopt (the answer already given) otherwise.
std::optional<std::map<std::string, std::string>> PostedForm(const Page& page) {
    cups_option_t* form = nullptr;
    const int count = papplClientGetForm(page.client, &form);
    std::optional<std::map<std::string, std::string>> fields;
    if (count > 0 && papplClientIsValidForm(page.client, count, form)) {
        fields.emplace();
        for (int i = 0; i < count; ++i) (*fields)[form[i].name] = form[i].value;
    }
    cupsFreeOptions(count, form);
    return fields;
}

std::string Sender(pappl_client_t* client) {
    const char* user = papplClientGetUsername(client);
    const char* host = papplClientGetHostName(client);
    return std::string(user != nullptr && *user ? user : "web") + "@" + (host != nullptr ? host : "");
}

// The plan of an uploaded description: each item it records, why it is sent or left alone, what it
// sends; then the baud-rate warning and the form that applies it (the file again, checked again).
void ShowPlan(const PageSet& set, const Page& page, const DescriptionPlan& plan, const std::string& file) {
    papplClientHTMLPrintf(page.client, "<h2>%s</h2>\n", page.T(kPlan));
    if (!plan.items.empty()) {
        papplClientHTMLPrintf(page.client,
                              "<table class=\"list\" id=\"qvset-plan\"><thead><tr><th>%s</th><th>%s</th>"
                              "<th>%s</th></tr></thead><tbody>\n",
                              page.T(kItem), page.T(kReason), page.T(kSends));
        for (const ItemPlan& item : plan.items) {
            papplClientHTMLPrintf(page.client, "<tr data-item=\"%d\"><td>", item.item);
            page.Escape(ItemCaption(item.item));
            const Text reason = item.reason == ItemPlanReason::Differs ? Text{"不同", "differs"}
                                : item.reason == ItemPlanReason::Same  ? Text{"相同", "same"}
                                                                       : Text{"没有记录", "no record"};
            papplClientHTMLPrintf(page.client, "</td><td data-reason=\"%s\">%s</td><td>",
                                  std::string(ItemPlanReasonWord(item.reason)).c_str(), page.T(reason));
            const auto decoded = DecodeDocument(item.wanted);
            page.Escape(decoded.empty() ? EncodeHex(item.wanted) : decoded.front().meaning);
            page.Puts("</td></tr>\n");
        }
        page.Puts("</tbody></table>\n");
    }
    if (!plan.problem.empty()) {
        Message(page, plan.problem, false);
        return;
    }
    if (plan.baudRate) Message(page, std::string(kMsgBaudRateSet), false);
    papplClientHTMLStartForm(page.client, (set.base + "-settings").c_str(), false);
    papplClientHTMLPrintf(page.client,
                          "<input type=\"hidden\" name=\"description-hex\" value=\"%s\">"
                          "<input type=\"submit\" id=\"apply\" value=\"%s\"></form>\n",
                          EncodeHex(std::vector<std::uint8_t>(file.begin(), file.end())).c_str(),
                          page.T(kApply));
}

bool SettingsPage(pappl_client_t* client, void* data) {
    const auto& set = *static_cast<PageSet*>(data);
    const Page page = PageOf(client);
    if (!papplClientHTMLAuthorize(client)) return true;
    std::optional<std::pair<std::string, bool>> message;
    std::optional<DescriptionPlan> plan;
    std::string uploaded;
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        const auto fields = PostedForm(page);
        if (fields && (fields->contains("description") || fields->contains("description-hex"))) {
            const bool apply = fields->contains("description-hex");
            if (apply) {
                uploaded = std::string(page.T(kBadForm));
                if (const auto bytes = DecodeStrictHex(fields->at("description-hex")))
                    uploaded.assign(bytes->begin(), bytes->end());
            } else {
                std::ifstream in(fields->at("description"), std::ios::binary);
                std::string bytes(kMostDescriptionBytes, '\0');
                in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                bytes.resize(static_cast<std::size_t>(in.gcount()));
                uploaded = std::move(bytes);
            }
            plan = PlanDescription(uploaded, set.hooks.state(set.printer).State());
            if (plan->problem == kNotDescriptionMark) plan->problem = page.T(kNotDescription);
            if (plan->problem == kNothingDiffersMark) plan->problem = page.T(kNothingDiffers);
            if (apply && plan->problem.empty()) {
                std::string problem;
                const bool sent = set.hooks.send(set.printer, plan->document, "ticket description",
                                                 Sender(client), problem);
                message = {sent ? std::string(page.T(kSent)) + ": " + page.T(kApply)
                                : std::string(page.T(kNotSent)) + ": " + problem,
                           sent};
                if (sent && plan->baudRate) message->first += " — " + std::string(kMsgBaudRateSet);
                plan.reset();
            }
        }
        const SettingAttribute* setting =
            fields && fields->contains("setting") ? FindSettingAttribute(fields->at("setting")) : nullptr;
        if (!fields) {
            message = {page.T(kBadForm), false};
        } else if (fields->contains("description") || fields->contains("description-hex")) {
        } else if (setting == nullptr) {
            message = {page.T(kUnknownSetting), false};
        } else {
            const std::string value = fields->contains("value") ? fields->at("value") : "";
            std::string problem;
            auto bytes = SettingCommand(*setting, value, problem);
            // A distance the window would refuse is refused with the window's message.
            if (!bytes && setting->syntax == SettingSyntax::Range)
                problem = std::string(kMsgValueOutOfRange) + " (" + problem + ")";
            const std::string title = setting->name + "-default=" + value;
            if (bytes && set.hooks.send(set.printer, *bytes, title, Sender(client), problem)) {
                message = {std::string(page.T(kSent)) + ": " + Caption(page, *setting) + " " +
                               ValueText(page, *setting, value),
                           true};
            } else {
                message = {std::string(page.T(kNotSent)) + ": " + problem, false};
            }
        }
    }
    const ServiceState state = set.hooks.state(set.printer);
    Header(set, page, kSettingsTitle);
    if (message) Message(page, message->first, message->second);
    if (plan) ShowPlan(set, page, *plan, uploaded);
    page.Puts("<table class=\"form\" id=\"qvset-settings\">\n");
    const std::string action = set.base + "-settings";
    for (const auto& setting : SettingAttributes()) {
        const auto held = SettingValue(setting, state.State());
        papplClientHTMLPrintf(client, "<tr><th>");
        page.Escape(Caption(page, setting));
        page.Puts("</th><td>");
        papplClientHTMLStartForm(client, action.c_str(), false);
        papplClientHTMLPrintf(client, "<input type=\"hidden\" name=\"setting\" value=\"%s\">",
                              setting.name.c_str());
        if (setting.syntax == SettingSyntax::Range) {
            papplClientHTMLPrintf(
                client, "<input type=\"text\" name=\"value\" id=\"%s\" size=\"6\" value=\"%s\"> %s ",
                setting.name.c_str(), held ? held->c_str() : "", page.T(kMillimetres));
        } else {
            papplClientHTMLPrintf(client, "<select name=\"value\" id=\"%s\">", setting.name.c_str());
            std::vector<std::string> values = setting.keywords;
            for (const int number : setting.integers) values.push_back(std::to_string(number));
            for (const auto& value : values) {
                papplClientHTMLPrintf(client, "<option value=\"%s\"%s>", value.c_str(),
                                      held == value ? " selected" : "");
                page.Escape(ValueText(page, setting, value));
                page.Puts("</option>");
            }
            page.Puts("</select> ");
        }
        papplClientHTMLPrintf(client, "<input type=\"submit\" value=\"%s\" id=\"set-%s\"></form></td></tr>\n",
                              page.T(kSet), setting.name.c_str());
    }
    page.Puts("</table>\n");
    papplClientHTMLPrintf(client, "<h2>%s</h2>\n", page.T(kDescription));
    papplClientHTMLStartForm(client, action.c_str(), true);
    papplClientHTMLPrintf(client,
                          "<input type=\"file\" name=\"description\" id=\"description\" accept=\".txt\"> "
                          "<input type=\"submit\" id=\"upload\" value=\"%s\"></form>\n",
                          page.T(kUpload));
    papplClientHTMLPrinterFooter(client);
    return true;
}

bool TestsPage(pappl_client_t* client, void* data) {
    const auto& set = *static_cast<PageSet*>(data);
    const Page page = PageOf(client);
    if (!papplClientHTMLAuthorize(client)) return true;
    const std::pair<const char*, const Text*> buttons[] = {{"self-test", &kSelfTest},
                                                           {"line-feed", &kLineFeed},
                                                           {"form-feed", &kFormFeed},
                                                           {"pin-test", &kPinTest}};
    std::optional<std::pair<std::string, bool>> message;
    if (papplClientGetMethod(client) == HTTP_STATE_POST) {
        const auto fields = PostedForm(page);
        const std::string button = fields && fields->contains("button") ? fields->at("button") : "";
        const auto documents = TestDocuments(button);
        if (!fields || documents.empty()) {
            message = {page.T(kBadForm), false};
        } else {
            std::string problem;
            bool sent = true;
            for (const auto& document : documents) {
                if (!set.hooks.send(set.printer, document, button, Sender(client), problem)) {
                    sent = false;
                    break;
                }
            }
            const char* caption = button.c_str();
            for (const auto& [name, text] : buttons) {
                if (button == name) caption = page.T(*text);
            }
            message = {sent ? std::string(page.T(kSent)) + ": " + caption
                            : std::string(page.T(kNotSent)) + ": " + problem,
                       sent};
        }
    }
    Header(set, page, kTestsTitle);
    if (message) Message(page, message->first, message->second);
    const std::string action = set.base + "-tests";
    for (const auto& [name, text] : buttons) {
        papplClientHTMLStartForm(client, action.c_str(), false);
        papplClientHTMLPrintf(client,
                              "<input type=\"hidden\" name=\"button\" value=\"%s\"><input type=\"submit\" "
                              "id=\"%s\" value=\"%s\"></form>\n",
                              name, name, page.T(*text));
    }
    papplClientHTMLPrinterFooter(client);
    return true;
}

bool JobsPage(pappl_client_t* client, void* data) {
    const auto& set = *static_cast<PageSet*>(data);
    const Page page = PageOf(client);
    const ServiceState state = set.hooks.state(set.printer);
    Header(set, page, kJobsTitle);
    const auto& journal = state.Journal();
    if (journal.empty()) {
        papplClientHTMLPrintf(client, "<p>%s</p>\n", page.T(kNoJobs));
    } else {
        papplClientHTMLPrintf(
            client,
            "<table class=\"list\" id=\"qvset-jobs\"><thead><tr><th>%s</th><th>%s</th><th>%s</th>"
            "<th>%s</th><th>%s</th></tr></thead><tbody>\n",
            page.T(kJob), page.T(kWhen), page.T(kBy), page.T(kName), page.T(kSize));
        for (auto job = journal.rbegin(); job != journal.rend(); ++job) {
            page.Puts("<tr><td>");
            page.Escape(job->job);
            page.Puts("</td><td>");
            page.Escape(job->when);
            page.Puts("</td><td>");
            page.Escape(job->sender);
            page.Puts("</td><td>");
            page.Escape(job->name);
            papplClientHTMLPrintf(client, "</td><td>%llu</td></tr>\n",
                                  static_cast<unsigned long long>(job->bytes));
        }
        page.Puts("</tbody></table>\n");
    }
    // On the virtual printer: the jobs of its folder, newest first, with the drawer's listing and picture.
    const char* uri = papplPrinterGetDeviceURI(set.printer);
    const auto folder = uri != nullptr ? VirtualPrinterFolder(uri) : std::nullopt;
    if (folder) {
        std::ifstream index(*folder / "index");
        std::vector<std::pair<std::string, std::string>> jobs;
        for (std::string line; std::getline(index, line);) {
            const auto tab = line.find('\t');
            if (tab == std::string::npos || tab == 0) continue;
            jobs.emplace_back(line.substr(0, tab), line.substr(tab + 1));
            if (jobs.size() > kMostFolderJobs) jobs.erase(jobs.begin());
        }
        papplClientHTMLPrintf(client, "<h2>%s</h2>\n<table class=\"list\" id=\"qvset-folder\"><tbody>\n",
                              page.T(kPrinted));
        for (auto job = jobs.rbegin(); job != jobs.rend(); ++job) {
            if (!IsJobFile(job->first + ".prn")) continue;
            papplClientHTMLPrintf(client, "<tr id=\"folder-job-%s\"><td>%s</td><td>", job->first.c_str(),
                                  job->first.c_str());
            page.Escape(job->second);
            page.Puts("</td><td>");
            for (const auto& [suffix, text] : {std::pair{".txt", &kListing}, std::pair{".png", &kPicture}}) {
                if (std::filesystem::exists(*folder / (job->first + suffix))) {
                    papplClientHTMLPrintf(client, "<a href=\"%s-job?%s%s\">%s</a> ", set.base.c_str(),
                                          job->first.c_str(), suffix, page.T(*text));
                }
            }
            page.Puts("</td></tr>\n");
        }
        page.Puts("</tbody></table>\n");
    }
    papplClientHTMLPrinterFooter(client);
    return true;
}

// One file of the virtual printer's folder: a job's listing (N.txt) or picture (N.png), nothing else.
bool JobFilePage(pappl_client_t* client, void* data) {
    const auto& set = *static_cast<PageSet*>(data);
    const char* options = papplClientGetOptions(client);
    const std::string name = options != nullptr ? options : "";
    const char* uri = papplPrinterGetDeviceURI(set.printer);
    const auto folder = uri != nullptr ? VirtualPrinterFolder(uri) : std::nullopt;
    std::string bytes;
    if (folder && IsJobFile(name)) {
        std::ifstream in(*folder / name, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (bytes.empty() || bytes.size() > kMostJobFileBytes) {
        papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);
        return true;
    }
    const char* type = name.ends_with(".png") ? "image/png" : "text/plain; charset=utf-8";
    papplClientRespond(client, HTTP_STATUS_OK, nullptr, type, 0, bytes.size());
    httpWrite2(papplClientGetHTTP(client), bytes.data(), bytes.size());
    return true;
}

class RecordingDialogs final : public Dialogs {
  public:
    MessageAnswer ShowMessage(const MessageRequest& request) override {
        shown += request.text;
        return MessageAnswer::Ok;
    }
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }
    std::string shown;
};

class QuietDialogs final : public Dialogs {
  public:
    MessageAnswer ShowMessage(const MessageRequest& /*request*/) override { return MessageAnswer::Ok; }
    void ShowOpen(FileDialogState& dialog) override { dialog.fileName.clear(); }
    void ShowSave(FileDialogState& dialog) override { dialog.fileName.clear(); }
};

}  // namespace

PageLanguage ChooseLanguage(std::string_view acceptLanguage) {
    // The first language named that the pages have: "en-US,en;q=0.9", "zh-CN,zh;q=0.9,en;q=0.8".
    std::size_t at = 0;
    while (at < acceptLanguage.size()) {
        std::size_t end = acceptLanguage.find(',', at);
        if (end == std::string_view::npos) end = acceptLanguage.size();
        std::string_view tag = acceptLanguage.substr(at, end - at);
        while (!tag.empty() && tag.front() == ' ') tag.remove_prefix(1);
        const auto lower = [](char c) {
            return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        };
        if (tag.size() >= 2) {
            const std::string head{lower(tag[0]), lower(tag[1])};
            const bool whole = tag.size() == 2 || tag[2] == '-' || tag[2] == ';';
            if (whole && head == "zh") return PageLanguage::Chinese;
            if (whole && head == "en") return PageLanguage::English;
        }
        at = end + 1;
    }
    return PageLanguage::Chinese;
}

std::vector<std::vector<std::uint8_t>> TestDocuments(std::string_view button) {
    MemorySpooler spooler({PrinterInfo{"tests", {}, {}}});
    spooler.SetCurrentPrinter("tests");
    QuietDialogs dialogs;
    PrintChannel channel(spooler, dialogs, std::filesystem::path());
    if (button == "self-test") {
        PrintSelfTest(channel);
    } else if (button == "line-feed") {
        FeedLine(channel);
    } else if (button == "form-feed") {
        FeedPage(channel);
    } else if (button == "pin-test") {
        PrintPinTest(channel);
    }
    std::vector<std::vector<std::uint8_t>> documents;
    for (const auto& document : spooler.Documents()) documents.push_back(document.bytes);
    return documents;
}

DescriptionPlan PlanDescription(std::string_view file, const PrinterState& state) {
    DescriptionPlan plan;
    TicketDescription description;
    if (ReadTicketBytes(file, description) == TicketReadOutcome::Refused ||
        description.RecordedCount() == 0) {
        plan.problem = kNotDescriptionMark;
        return plan;
    }
    auto items = PlanTicket(description, state);
    if (!items) {
        plan.problem = std::string(kMsgValueOutOfRange);
        return plan;
    }
    plan.items = *items;
    // The document is the plan's own: the items not the same, as sending the description builds them.
    const PlannedBatch batch = BatchOfPlan(plan.items);
    if (batch.bytes.empty()) {
        plan.problem = kNothingDiffersMark;
        return plan;
    }
    plan.document = batch.bytes;
    plan.baudRate = batch.baudNotice;
    return plan;
}

void AddServicePages(pappl_printer_t* printer, const PageHooks& hooks) {
    char path[256];
    papplPrinterGetPath(printer, "qvset", path, sizeof path);
    // Kept until the process ends: the framework holds the pointer with each resource.
    auto* set = new PageSet{printer, hooks, path};
    pappl_system_t* system = papplPrinterGetSystem(printer);
    papplSystemAddResourceCallback(system, path, "text/html", StatePage, set);
    papplSystemAddResourceCallback(system, (set->base + "-settings").c_str(), "text/html", SettingsPage, set);
    papplSystemAddResourceCallback(system, (set->base + "-tests").c_str(), "text/html", TestsPage, set);
    papplSystemAddResourceCallback(system, (set->base + "-jobs").c_str(), "text/html", JobsPage, set);
    papplSystemAddResourceCallback(system, (set->base + "-job").c_str(), "text/plain", JobFilePage, set);
    papplPrinterAddLink(printer, "QV6", path, PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

}  // namespace qvset
