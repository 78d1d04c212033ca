#include "inifile/write_failure_reason.h"

#include "encoding/code_page_conversion.h"
#include "platform/exception.h"

namespace {

constexpr int LanguageChinese = 0x04;

// Written here rather than asked of the C library: its Chinese texts come only with a
// generated zh_CN locale, which many systems lack.
std::string ChineseReason(IniFailure failure, int systemError) {
    switch (failure) {
        case IniFailure::None: return {};
        case IniFailure::CannotHold: return "文件无法原样保存这个名称或值";
        case IniFailure::EmptyName: return "名称为空";
        case IniFailure::NameTaken: return "这个名称已被使用";
        case IniFailure::Stale: return "文件已被其他程序修改";
        case IniFailure::JoinsLines: return "删除这些行会使另外两行连成一行";
        case IniFailure::Undecodable: return "改动会触及无法解码的字节（显示为“�”），这些字节须原样保留";
        case IniFailure::TooLarge: return "文件太大";
        case IniFailure::Locked: return "文件被其他程序锁定";
        case IniFailure::ReadOnlyFile: return "文件是只读的";
        case IniFailure::PermissionDenied: return "权限不够";
        case IniFailure::ReadOnlyFileSystem: return "文件系统是只读的";
        case IniFailure::NoSpace: return "设备上没有空间";
        case IniFailure::NotRegularFile: return "不是普通文件";
        case IniFailure::TooManyLinks: return "符号链接的层数过多";
        case IniFailure::UntrustedLink: return "路径是别的用户在共享文件夹里建的符号链接";
        case IniFailure::ChangedMeanwhile: return "保存期间其他程序一再替换了这个文件";
        case IniFailure::SystemError:
            return "系统调用失败（" + IniFailureText(failure, systemError) + "）";
    }
    return {};
}

}  // namespace

std::string WriteFailureReason(IniFailure failure, int systemError, TLocaleId messagesLocale) {
    if (PrimaryLanguageOf(messagesLocale) == LanguageChinese) return ChineseReason(failure, systemError);
    return IniFailureText(failure, systemError);
}

std::string WriteFailureMessage(const std::string& path, IniFailure failure, int systemError) {
    std::string message = FormatMessage("Unable to write to %s", path);
    if (!message.ends_with('.')) message += '.';
    return message + " " + Ansi(WriteFailureReason(failure, systemError, LocaleIdOfName(MessagesLocaleName())));
}
