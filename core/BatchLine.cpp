#include "core/BatchLine.h"

#include "core/PathRules.h"

std::u16string QuoteBatchPiece(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const char16_t c : text) {
        switch (c) {
        case u'"':
            out += u"\"\"";
            break;
        case u'%':
            out += u"%%";
            break;
        case u'\r':
        case u'\n':
            out += u'?';
            break;
        default:
            out += c;
        }
    }
    out += u'"';
    return out;
}

std::u16string QuoteShellPiece(std::u16string_view text)
{
    std::u16string out;
    out.reserve(text.size() + 2);
    out += u'\'';
    for (const char16_t c : text) {
        if (c == u'\'') {
            out += u"'\\''";
        } else {
            out += c;
        }
    }
    out += u'\'';
    return out;
}

std::u16string BatchLine(TScriptFormat format, std::u16string_view executable,
    std::u16string_view folder, std::optional<int> method)
{
    const bool batch = format == TScriptFormat::WindowsBatch;
    const auto quote = batch ? QuoteBatchPiece : QuoteShellPiece;
    const std::u16string target = ExcludeTrailingDelimiter(std::u16string(folder), batch ? u'\\' : u'/');

    std::u16string line = quote(executable);
    line += u' ';
    line += quote(u"-a");
    line += u' ';
    line += quote(target);
    if (method) {
        const std::string number = std::to_string(*method);
        line += u' ';
        line += quote(u"-t=" + std::u16string(number.begin(), number.end()));
    }
    return line;
}

std::u16string BatchFileText(TScriptFormat format, std::u16string_view line)
{
    if (format == TScriptFormat::WindowsBatch) {
        return std::u16string(line) + u"\r\n";
    }
    return u"#!/bin/sh\n" + std::u16string(line) + u"\n";
}

std::u16string BatchFileCreateErrorText(std::u16string_view path, std::u16string_view systemText)
{
    std::u16string text = u"ファイル \"";
    text += path;
    text += u"\" を作成できません。";
    text += systemText;
    return text;
}
