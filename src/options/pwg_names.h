// The IPP keywords under which CUPS offers a PPD's trays and media types
// (media-source, media-type), so that a keyword a client sends finds the
// PPD choice that CUPS advertised for it.
#pragma once

#include <string>
#include <string_view>

enum class PwgChoiceKind { mediaSource, mediaType, outputBin };

// The keyword CUPS makes of a PPD InputSlot, MediaType or OutputBin choice:
// a few well-known tray and media names get the standard keyword
// (Multipurpose... is "by-pass-tray", Card... is "cardstock"), every other
// name is lowered with dashes between its words and numbers ("Tray2" is
// "tray-2", "FinisherBin1" is "finisher-bin-1").
std::string pwgNameOf(std::string_view ppdChoice, PwgChoiceKind kind);
