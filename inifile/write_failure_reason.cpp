#include "inifile/write_failure_reason.h"

namespace {

constexpr int LanguageChinese = 0x04;

// Written here rather than asked of the C library: its Chinese texts come only with a
// generated zh_CN locale, which many systems lack.
std::string ChineseReason(ProfileFailure failure, int systemError) {
    switch (failure) {
        case ProfileFailure::None: return {};
        case ProfileFailure::CannotHold: return "文件无法原样保存这个名称或值";
        case ProfileFailure::EmptyName: return "名称为空";
        case ProfileFailure::NameTaken: return "这个名称已被使用";
        case ProfileFailure::Stale: return "文件已被其他程序修改";
        case ProfileFailure::JoinsLines: return "删除这些行会使另外两行连成一行";
        case ProfileFailure::TooLarge: return "文件太大";
        case ProfileFailure::Locked: return "文件被其他程序锁定";
        case ProfileFailure::ReadOnlyFile: return "文件是只读的";
        case ProfileFailure::PermissionDenied: return "权限不够";
        case ProfileFailure::ReadOnlyFileSystem: return "文件系统是只读的";
        case ProfileFailure::NoSpace: return "设备上没有空间";
        case ProfileFailure::NotRegularFile: return "不是普通文件";
        case ProfileFailure::TooManyLinks: return "符号链接的层数过多";
        case ProfileFailure::UntrustedLink: return "路径是别的用户在共享文件夹里建的符号链接";
        case ProfileFailure::ChangedMeanwhile: return "保存期间其他程序一再替换了这个文件";
        case ProfileFailure::SystemError:
            return "系统调用失败（" + ProfileFailureText(failure, systemError) + "）";
    }
    return {};
}

}  // namespace

std::string WriteFailureReason(ProfileFailure failure, int systemError, TLocaleId messagesLocale) {
    if (PrimaryLanguageOf(messagesLocale) == LanguageChinese) return ChineseReason(failure, systemError);
    return ProfileFailureText(failure, systemError);
}
