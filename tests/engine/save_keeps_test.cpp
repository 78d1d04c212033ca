// What a save keeps of the file beside its bytes: owner, group, mode, ACL, extended attributes;
// and, where the new file cannot take one of them, the save in place that keeps them all.
#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "engine/file_ops.h"
#include "engine/ini_service.h"
#include "support/scoped_seam.h"
#include "tests/engine/temp_dir.h"

namespace {

constexpr TCodePage Utf8 = TCodePage::Utf8;
constexpr gid_t OtherGroup = 65533;

IniFailure Set(const std::string& path, std::string_view value) {
    return CurrentIniService().SetValue({path, Utf8}, "a", "k", value).failure;
}

// Nothing when the file system of the temporary folder has no ACLs.
bool SetAcl(const std::string& path, const char* text, acl_type_t type = ACL_TYPE_ACCESS) {
    const acl_t acl = acl_from_text(text);
    if (!acl) return false;
    const bool set = acl_set_file(path.c_str(), type, acl) == 0;
    acl_free(acl);
    return set;
}

std::string AclOf(const std::string& path) {
    const acl_t acl = acl_get_file(path.c_str(), ACL_TYPE_ACCESS);
    if (!acl) return "<none>";
    char* text = acl_to_any_text(acl, nullptr, ',', TEXT_NUMERIC_IDS);
    const std::string result = text ? text : "<none>";
    if (text) acl_free(text);
    acl_free(acl);
    return result;
}

std::string AttributeOf(const std::string& path, const char* name) {
    char value[64];
    const ssize_t size = getxattr(path.c_str(), name, value, sizeof value);
    return size < 0 ? "<none>" : std::string(value, static_cast<std::size_t>(size));
}

bool SetAttribute(const std::string& path, const char* name, const std::string& value) {
    return setxattr(path.c_str(), name, value.data(), value.size(), 0) == 0;
}

constexpr const char* SharedAcl = "u::rw-,u:65534:rw-,g::r--,m::rw-,o::---";

TEST(SaveKeeps, TheAccessAclWithTheGroupBitsUnderIt) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[a]\nk=1\n");
    if (!SetAcl(path, SharedAcl)) GTEST_SKIP() << "the temporary folder's file system has no ACLs";
    const std::string before = AclOf(path);
    ASSERT_EQ(before, "user::rw-,user:65534:rw-,group::r--,mask::rw-,other::---");
    ASSERT_EQ(Set(path, "2"), IniFailure::None);
    EXPECT_EQ(AclOf(path), before) << "the group keeps r--, not the mask's rw-";
    EXPECT_EQ(ReadFile(path), "[a]\nk=2\n");
}

TEST(SaveKeeps, NoAclInheritedFromTheFolderThatTheFileDidNotHave) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[a]\nk=1\n");
    chmod(path.c_str(), 0600);
    if (!SetAcl(dir.Path(""), "u::rwx,u:65534:rwx,g::r-x,m::rwx,o::---", ACL_TYPE_DEFAULT))
        GTEST_SKIP() << "the temporary folder's file system has no ACLs";
    ASSERT_EQ(Set(path, "2"), IniFailure::None);
    EXPECT_EQ(AclOf(path), "user::rw-,group::---,other::---") << "65534 gets no way in";
}

TEST(SaveKeeps, UserSecurityAndTrustedAttributes) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[a]\nk=1\n");
    if (!SetAttribute(path, "user.x", "kept")) GTEST_SKIP() << "the temporary folder's file system has no user attributes";
    const bool privileged = SetAttribute(path, "security.iniv", "label") && SetAttribute(path, "trusted.iniv", "t");
    ASSERT_EQ(Set(path, "2"), IniFailure::None);
    EXPECT_EQ(AttributeOf(path, "user.x"), "kept");
    if (privileged) {
        EXPECT_EQ(AttributeOf(path, "security.iniv"), "label");
        EXPECT_EQ(AttributeOf(path, "trusted.iniv"), "t");
    }
    EXPECT_EQ(ReadFile(path), "[a]\nk=2\n");
}

TEST(SaveKeeps, TheGroupAndOwnerInASetGroupIdFolder) {
    TempDir dir;
    const std::string folder = dir.Path("shared");
    ASSERT_EQ(mkdir(folder.c_str(), 0775), 0);
    if (chown(folder.c_str(), static_cast<uid_t>(-1), OtherGroup) != 0) GTEST_SKIP() << "changing a group needs root";
    ASSERT_EQ(chmod(folder.c_str(), 02775), 0);
    const std::string path = dir.Write("shared/f.ini", "[a]\nk=1\n");
    ASSERT_EQ(chown(path.c_str(), geteuid(), getegid()), 0) << "ours, in our group";
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(Set(path, "2"), IniFailure::None);
    struct stat saved = StatOf(path);
    EXPECT_EQ(saved.st_gid, getegid()) << "not the folder's group, which could read it then";
    EXPECT_EQ(saved.st_mode & 07777, 0640u);
    ASSERT_EQ(chown(path.c_str(), 65534, getegid()), 0);
    ASSERT_EQ(Set(path, "3"), IniFailure::None);
    saved = StatOf(path);
    EXPECT_EQ(saved.st_uid, 65534u);
    EXPECT_EQ(saved.st_gid, getegid());
    EXPECT_EQ(ReadFile(path), "[a]\nk=3\n");
}

// The new file refuses one thing: the owner, the ACL or an attribute.
class NewFileRefuses : public FileOps {
public:
    enum class What { Owner, Acl, Attribute };
    explicit NewFileRefuses(What what) : what_(what) {}
    int ChangeOwner(int fd, uid_t owner, gid_t group) override {
        return what_ == What::Owner ? Refuse() : FileOps::ChangeOwner(fd, owner, group);
    }
    int CopyAccessAcl(int from, int to) override { return what_ == What::Acl ? Refuse() : FileOps::CopyAccessAcl(from, to); }
    int SetAttribute(int fd, const char* name, const void* value, std::size_t size) override {
        return what_ == What::Attribute ? Refuse() : FileOps::SetAttribute(fd, name, value, size);
    }

private:
    static int Refuse() {
        errno = EPERM;
        return -1;
    }
    What what_;
};

TEST(SaveKeeps, WhatTheNewFileCannotTakeByWritingInPlace) {
    TempDir dir;
    const std::string path = dir.Write("f.ini", "[a]\nk=1\n");
    if (!SetAcl(path, SharedAcl) || !SetAttribute(path, "user.x", "kept"))
        GTEST_SKIP() << "the temporary folder's file system has no ACLs or user attributes";
    const bool root = chown(path.c_str(), 65534, getegid()) == 0;
    const ino_t inode = StatOf(path).st_ino;
    int value = 2;
    for (const auto what : {NewFileRefuses::What::Owner, NewFileRefuses::What::Acl, NewFileRefuses::What::Attribute}) {
        if (what == NewFileRefuses::What::Owner && !root) continue;
        NewFileRefuses ops(what);
        ScopedSeam seam(UseIniFileOps, &ops);
        ASSERT_EQ(Set(path, std::to_string(value)), IniFailure::None);
        EXPECT_EQ(ReadFile(path), "[a]\nk=" + std::to_string(value) + "\n");
        EXPECT_EQ(StatOf(path).st_ino, inode) << "refused: " << static_cast<int>(what);
        ++value;
    }
    EXPECT_EQ(AclOf(path), "user::rw-,user:65534:rw-,group::r--,mask::rw-,other::---");
    EXPECT_EQ(AttributeOf(path, "user.x"), "kept");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

}  // namespace
