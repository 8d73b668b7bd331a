#include "service/ServiceAccess.h"

#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace qvset {
namespace {

// Base64 as RFC 4648 writes it; nullopt-like false for anything else.
bool DecodeBase64(std::string_view text, std::string& out) {
    out.clear();
    std::uint32_t accumulated = 0;
    int bits = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z') value = c - 'A';
        if (c >= 'a' && c <= 'z') value = c - 'a' + 26;
        if (c >= '0' && c <= '9') value = c - '0' + 52;
        if (c == '+') value = 62;
        if (c == '/') value = 63;
        if (c == '=') break;
        if (value < 0) return false;
        accumulated = (accumulated << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<char>((accumulated >> bits) & 0xFF));
        }
    }
    return true;
}

struct Credentials {
    const std::string* password;
};

int Converse(int count, const struct pam_message** messages, struct pam_response** responses, void* data) {
    if (count <= 0 || count > PAM_MAX_NUM_MSG) return PAM_CONV_ERR;
    auto* answers =
        static_cast<pam_response*>(std::calloc(static_cast<std::size_t>(count), sizeof(pam_response)));
    if (answers == nullptr) return PAM_BUF_ERR;
    const auto* credentials = static_cast<const Credentials*>(data);
    for (int i = 0; i < count; ++i) {
        const int style = messages[i]->msg_style;
        if (style == PAM_PROMPT_ECHO_OFF || style == PAM_PROMPT_ECHO_ON) {
            answers[i].resp = strdup(credentials->password->c_str());
        }
    }
    *responses = answers;
    return PAM_SUCCESS;
}

class PamAuthenticator final : public Authenticator {
  public:
    bool CheckPassword(const std::string& service, const std::string& user,
                       const std::string& password) override {
        Credentials credentials{&password};
        const pam_conv conversation{Converse, &credentials};
        pam_handle_t* handle = nullptr;
        if (pam_start(service.c_str(), user.c_str(), &conversation, &handle) != PAM_SUCCESS) return false;
        int status = pam_authenticate(handle, PAM_SILENT);
        if (status == PAM_SUCCESS) status = pam_acct_mgmt(handle, PAM_SILENT);
        pam_end(handle, status);
        return status == PAM_SUCCESS;
    }

    bool IsMember(const std::string& user, const std::string& group) override {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (getpwnam_r(user.c_str(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
            return false;
        }
        std::vector<char> groupBuffer(16384);
        struct group groupEntry {};
        struct group* groupFound = nullptr;
        if (getgrnam_r(group.c_str(), &groupEntry, groupBuffer.data(), groupBuffer.size(), &groupFound) !=
                0 ||
            groupFound == nullptr) {
            return false;
        }
        int count = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        if (getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) {
            groups.resize(static_cast<std::size_t>(count));
            if (getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) return false;
        }
        groups.resize(static_cast<std::size_t>(count));
        for (const gid_t id : groups) {
            if (id == groupFound->gr_gid) return true;
        }
        return false;
    }
};

}  // namespace

Authenticator& SystemAuthenticator() {
    static PamAuthenticator authenticator;
    return authenticator;
}

bool ReadBasicLogin(std::string_view header, std::string& user, std::string& password) {
    constexpr std::string_view kBasic = "Basic ";
    if (!header.starts_with(kBasic)) return false;
    header.remove_prefix(kBasic.size());
    while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
    std::string decoded;
    if (!DecodeBase64(header, decoded)) return false;
    const auto colon = decoded.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    user = decoded.substr(0, colon);
    password = decoded.substr(colon + 1);
    return true;
}

AccessAnswer DecideAccess(const AccessPolicy& policy, const AccessRequest& request,
                          Authenticator& authenticator, std::string* user) {
    if (request.local) return AccessAnswer::Allowed;
    if (!request.administration)
        return policy.remotePrinting ? AccessAnswer::Allowed : AccessAnswer::Forbidden;
    if (!request.encrypted) return AccessAnswer::UpgradeToTls;
    if (request.authorization.empty()) return AccessAnswer::LoginNeeded;
    std::string name;
    std::string password;
    if (!ReadBasicLogin(request.authorization, name, password)) return AccessAnswer::BadRequest;
    if (!authenticator.CheckPassword(policy.pamService, name, password)) return AccessAnswer::LoginNeeded;
    if (user != nullptr) *user = name;
    if (!authenticator.IsMember(name, policy.adminGroup)) return AccessAnswer::Forbidden;
    return AccessAnswer::Allowed;
}

}  // namespace qvset
