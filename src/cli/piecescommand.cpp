// SPDX-License-Identifier: MIT
#include "piecescommand.h"

#include "cli.h"
#include "hardwareoptions.h"
#include "loadcommand.h"
#include "options.h"
#include "report.h"

#include "document/pieces.h"
#include "document/texture.h"
#include "hardware/pieces.h"
#include "reduce/texturedata.h"
#include "verify/verify.h"

#include <nlohmann/json.hpp>

namespace vellora::cli {

namespace {

struct PiecesOptions {
    std::optional<std::string> file;
    std::optional<FormatChoice> format;
    bool overlap = false;
    bool json = false;
    bool help = false;
    HardwareChoice hardware; // --emit, --image-base and --name
};

PiecesOptions ParsePieces(const std::vector<std::string>& args) {
    PiecesOptions o;
    std::optional<std::string> format, overlap;
    HardwareTexts texts;
    CommandLine cl("pieces", "FILE, --format, --overlap, --json, --emit, --image-base, --name, --help");
    cl.positional(o.file);
    cl.value("--format", format, std::string(kFormatsAllowed));
    cl.value("--overlap", overlap, "0 or 1");
    cl.value("--emit", texts.emit, "gbi or words");
    cl.value("--image-base", texts.imageBase, "an RDRAM address, decimal or 0x hex, a multiple of 8");
    cl.value("--name", texts.name, std::string(kIdentifierAllowed));
    cl.flag("--json", o.json);
    cl.flag("--help,-h", o.help);
    cl.parse(args, 1);
    if (o.help)
        return o;
    for (const std::string& opt : cl.given()) {
        if (opt == "--format")
            o.format = RequireFormatKind(opt, *format);
        else if (opt == "--overlap")
            o.overlap = RequireInt(opt, *overlap, 0, 1) == 1;
        else
            ApplyHardwareOption(opt, texts, o.hardware);
    }
    if (!o.file)
        throw UsageError("vellora-cli pieces: missing FILE (allowed: one BMP or PNG file)");
    if (o.json && o.hardware.emit != Emit::None)
        Reject("--emit", *texts.emit, "without --json: the list is text");
    if (!texts.emit && (texts.imageBase || texts.name))
        Reject(texts.imageBase ? "--image-base" : "--name", texts.imageBase ? *texts.imageBase : *texts.name,
               "only together with --emit gbi|words");
    if (!texts.name)
        o.hardware.emitted.name = reduce::ArrayName(*o.file);
    return o;
}

nlohmann::ordered_json PiecesJson(const std::string& file, const hw::PiecePlan& plan,
                                  const verify::Result& proof) {
    using nlohmann::ordered_json;
    ordered_json j;
    j["path"] = file;
    j["width"] = plan.width;
    j["height"] = plan.height;
    j["kind"] = std::string(KindName(plan.kind));
    j["overlap"] = plan.overlap ? 1 : 0;
    j["data_bytes"] = plan.dataBytes;
    j["piece_width"] = plan.pieceWidth;
    j["piece_height"] = plan.pieceHeight;
    j["columns"] = plan.columns;
    j["rows"] = plan.rows;
    j["palette"] = plan.palette ? ordered_json{{"entries", plan.palette->entries},
                                               {"tmem_address", plan.palette->tmemAddress}}
                                : ordered_json(nullptr);
    j["loads_per_frame"] = plan.loadsPerFrame;
    j["bytes_per_frame"] = plan.bytesPerFrame;
    ordered_json pieces = ordered_json::array();
    for (const hw::Piece& p : plan.pieces)
        pieces.push_back({{"x", p.x},
                          {"y", p.y},
                          {"width", p.width},
                          {"height", p.height},
                          {"draw_width", p.drawWidth},
                          {"draw_height", p.drawHeight},
                          {"line", p.line},
                          {"bytes", p.bytes},
                          {"loadtile", hw::HexWord(p.loadTile)},
                          {"texture_rectangle", {hw::HexWord(p.rectangle[0]), hw::HexWord(p.rectangle[1])}}});
    j["pieces"] = std::move(pieces);
    j["proved"] = proof.ok();
    j["texels_read_back"] = proof.texels;
    return j;
}

void WritePiecesText(const std::string& file, const hw::PiecePlan& plan, const verify::Result& proof,
                     std::ostream& out) {
    out << file << ": " << plan.width << "x" << plan.height << " " << KindName(plan.kind) << ", "
        << plan.dataBytes << " bytes in RDRAM\n";
    out << "Pieces: " << plan.pieces.size() << " (" << plan.rows << (plan.rows == 1 ? " row" : " rows")
        << " of " << plan.columns << "), each at most " << plan.pieceWidth << "x" << plan.pieceHeight
        << " texels in " << plan.capacityWords * 8 << " bytes of TMEM"
        << (plan.overlap ? ", loading the row and column the next piece starts with" : "") << "\n";
    if (plan.palette)
        out << "Palette: " << plan.palette->entries << " entries at 0x800, loaded once\n";
    out << "Piece  Texels (x, y)  Size       Drawn      Line (words)  Bytes\n";
    for (std::size_t i = 0; i < plan.pieces.size(); ++i) {
        const hw::Piece& p = plan.pieces[i];
        out << Pad(std::to_string(i + 1), 7) << Pad(std::to_string(p.x) + ", " + std::to_string(p.y), 15)
            << Pad(std::to_string(p.width) + "x" + std::to_string(p.height), 11)
            << Pad(std::to_string(p.drawWidth) + "x" + std::to_string(p.drawHeight), 11)
            << Pad(std::to_string(p.line), 14) << p.bytes << "\n";
    }
    out << "A frame: " << plan.loadsPerFrame << (plan.loadsPerFrame == 1 ? " load, " : " loads, ")
        << plan.bytesPerFrame << " bytes moved\n";
    out << "RDP model: every piece loads right (" << proof.texels << " texels read back)\n";
}

} // namespace

int PiecesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const PiecesOptions o = ParsePieces(args);
    if (o.help) {
        out << "usage: " << kPiecesUsage;
        return kExitFits;
    }
    const std::string& file = *o.file;
    doc::Texture picture;
    LoadOrReject("pieces", file, LoadRole::Base, picture, 0);
    if (o.format) {
        picture.spec.format = o.format->row;
        if (o.format->kind)
            picture.baseKind = o.format->kind;
    }
    const Kind kind = picture.storedBaseKind();

    hw::PieceOptions options;
    options.overlap = o.overlap;
    options.emitted = o.hardware.emitted;
    const doc::PictureInPieces pieces =
        doc::PlanPicturePieces(picture.pictures[0], picture.baseSource, kind, options);
    const hw::PiecePlan& plan = pieces.plan;
    if (plan.refused)
        throw UsageError("vellora-cli pieces: " + file + ": " + *plan.refused);
    const long end = plan.palette ? plan.palette->offset + 2L * plan.palette->entries : plan.dataBytes;
    if (static_cast<std::uint64_t>(options.emitted.imageBase) + static_cast<std::uint64_t>(end) >
        std::uint64_t{hw::kMaxImageAddress} + 1)
        throw UsageError("vellora-cli pieces: --image-base: the picture's " + std::to_string(end) +
                         " bytes of data would end past 0xFFFFFF, the last RDRAM address the RDP reads");
    const verify::Result& proof = pieces.proof;
    if (!proof.ok()) {
        // The plan is wrong, not the picture: no list or report passes for one.
        err << "vellora-cli pieces: " << file
            << ": the RDP model does not load the pieces right: " << proof.describe() << "\n";
        return kExitExceeds;
    }
    if (o.hardware.emit == Emit::Gbi) {
        out << hw::PiecesDisplayList(plan, options);
    } else if (o.hardware.emit == Emit::Words) {
        for (const hw::Command& c : hw::PieceCommands(plan, options)) {
            out << hw::HexWord(c.word);
            if (!c.name.empty())
                out << "  " << c.name;
            if (!c.what.empty())
                out << std::string(c.name.size() < 16 ? 17 - c.name.size() : 1, ' ') << c.what;
            out << "\n";
        }
    } else if (o.json) {
        WriteJson(PiecesJson(file, plan, proof), out);
    } else {
        WritePiecesText(file, plan, proof, out);
    }
    return kExitFits;
}

} // namespace vellora::cli
