#include "service/ServiceAccess.h"

#include <gtest/gtest.h>

namespace qvset {
namespace {

// "alice" with the password "secret" in the admin group, "bob" with "pw" outside it.
class TableAuthenticator final : public Authenticator {
  public:
    bool CheckPassword(const std::string& service, const std::string& user,
                       const std::string& password) override {
        services.push_back(service);
        return (user == "alice" && password == "secret") || (user == "bob" && password == "pw");
    }
    bool IsMember(const std::string& user, const std::string& group) override {
        return user == "alice" && group == "lpadmin";
    }
    std::vector<std::string> services;
};

// "Basic " and base64 of "user:password".
constexpr const char* kAlice = "Basic YWxpY2U6c2VjcmV0";       // alice:secret
constexpr const char* kAliceWrong = "Basic YWxpY2U6d3Jvbmc=";  // alice:wrong
constexpr const char* kBob = "Basic Ym9iOnB3";                 // bob:pw

TEST(ServiceAccessTest, EachRequestIsDecidedByWhereItComesFromAndWhatItAsks) {
    struct Row {
        bool remotePrinting;
        bool local;
        bool encrypted;
        bool administration;
        const char* authorization;
        AccessAnswer answer;
    };
    const Row rows[] = {
        {false, true, false, false, "", AccessAnswer::Allowed},          // printing here
        {false, true, false, true, "", AccessAnswer::Allowed},           // a change here
        {false, false, true, false, "", AccessAnswer::Forbidden},        // printing from elsewhere, off
        {true, false, true, false, "", AccessAnswer::Allowed},           // printing from elsewhere, on
        {true, false, false, true, kAlice, AccessAnswer::UpgradeToTls},  // a change without TLS
        {true, false, true, true, "", AccessAnswer::LoginNeeded},        // a change without a login
        {true, false, true, true, kAliceWrong, AccessAnswer::LoginNeeded},
        {true, false, true, true, kBob, AccessAnswer::Forbidden},  // a login outside the admin group
        {true, false, true, true, kAlice, AccessAnswer::Allowed},
        {true, false, true, true, "Bearer abc", AccessAnswer::BadRequest},
        {true, false, true, true, "Basic !!!", AccessAnswer::BadRequest},
    };
    for (const auto& row : rows) {
        TableAuthenticator authenticator;
        AccessPolicy policy;
        policy.remotePrinting = row.remotePrinting;
        const AccessRequest request{row.local, row.encrypted, row.administration, row.authorization};
        std::string user;
        EXPECT_EQ(DecideAccess(policy, request, authenticator, &user), row.answer)
            << row.local << row.encrypted << row.administration << " " << row.authorization;
        if (row.answer == AccessAnswer::Allowed && !row.local && row.administration) {
            EXPECT_EQ(user, "alice");
        }
    }
}

TEST(ServiceAccessTest, TheLoginIsCheckedWithThePolicysPamService) {
    TableAuthenticator authenticator;
    AccessPolicy policy;
    policy.pamService = "qvset-printer-app";
    DecideAccess(policy, AccessRequest{false, true, true, kAlice}, authenticator);
    EXPECT_EQ(authenticator.services, (std::vector<std::string>{"qvset-printer-app"}));
}

TEST(ServiceAccessTest, ABasicLoginIsReadFromItsHeader) {
    std::string user;
    std::string password;
    ASSERT_TRUE(ReadBasicLogin("Basic YWxpY2U6c2U6Y3JldA==", user, password));  // alice:se:cret
    EXPECT_EQ(user, "alice");
    EXPECT_EQ(password, "se:cret");
    EXPECT_FALSE(ReadBasicLogin("Basic OnB3", user, password));  // ":pw", no user
    EXPECT_FALSE(ReadBasicLogin("Digest abc", user, password));
}

}  // namespace
}  // namespace qvset
