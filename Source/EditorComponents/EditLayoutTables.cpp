#include "EditLayoutTables.h"

#include <map>

// Each table lists its rows top to bottom and each row's items left to right. Knob rows hold
// at most six knob slots (a long menu takes three, a short menu two) so that every panel fits
// the edit page's effect area without scrolling sideways.

namespace
{

constexpr LayoutItem spacer { LayoutWidgetKind::Spacer, 0, nullptr };

constexpr LayoutItem knob(int32_t id, const char* caption)
{
    return { LayoutWidgetKind::Knob, id, caption };
}

constexpr LayoutItem menu(int32_t id, const char* caption)
{
    return { LayoutWidgetKind::Menu, id, caption };
}

constexpr LayoutItem shortMenu(int32_t id, const char* caption)
{
    return { LayoutWidgetKind::ShortMenu, id, caption };
}

constexpr LayoutItem intMenu(int32_t id, const char* caption)
{
    return { LayoutWidgetKind::IntMenu, id, caption };
}

std::map<int, EditLayoutTable> buildTables()
{
    std::map<int, EditLayoutTable> tables;

    tables[1] = { // Amp
        { menu(2, "Enable") },
        { menu(1, "Model"), menu(12, "PowerAmp") },
        { knob(3, "Gain"), knob(8, "Master"), knob(4, "Bass"), knob(5, "Mids"), knob(6, "Treble"), knob(7, "Presence") },
        { knob(9, "Level"), knob(10, "Damping") },
    };

    tables[2] = { // Cab
        { menu(14, "Enable") },
        { menu(13, "Cabinet") },
        { knob(19, "Level"), knob(17, "Bottom"), knob(18, "Air"), knob(15, "Rolloff"), knob(16, "Peak Q") },
    };

    tables[3] = { // Bst
        { menu(20, "Enable") },
        { menu(21, "Type") },
        { knob(23, "Drive"), knob(24, "Tone"), knob(25, "Level") },
    };

    tables[4] = { // Echo
        { menu(35, "Enable") },
        { menu(36, "Type"), menu(191, "Config") },
        { knob(38, "Level"), knob(48, "Dry Level"), knob(44, "Width"), knob(190, "Low Cut"), knob(189, "High Cut"),
          knob(359, "BPM") },
        { knob(194, "Mix 1"), knob(176, "Pan 1"), knob(39, "Time 1"), knob(40, "Feedbk 1"), shortMenu(355, "Tempo 1") },
        { knob(177, "Mix 2"), knob(178, "Pan 2"), knob(179, "Time 2"), knob(180, "Feedbk 2"), shortMenu(356, "Tempo 2") },
        { knob(181, "Mix 3"), knob(182, "Pan 3"), knob(183, "Time 3"), knob(184, "Feedbk 3"), shortMenu(357, "Tempo 3") },
        { knob(185, "Mix 4"), knob(186, "Pan 4"), knob(187, "Time 4"), knob(188, "Feedbk 4"), shortMenu(358, "Tempo 4") },
        { menu(195, "Buckets"), menu(41, "Ping Pong") },
        { menu(42, "Tails"), menu(43, "Spillover") },
        { knob(45, "Flutter"), knob(46, "Flut. Spd"), knob(193, "Diffusion"), knob(47, "Drive"), knob(192, "Bits") },
        { knob(49, "Ducking"), knob(50, "Threshold"), knob(51, "Release") },
    };

    tables[5] = { // Rev
        { menu(53, "Enable") },
        { menu(54, "Type") },
        { knob(55, "Level"), knob(63, "Dry Level"), knob(60, "Width"), knob(56, "Decay"), knob(57, "LF Damp"),
          knob(58, "HF Damp") },
        { knob(61, "PreDelay"), knob(59, "Diffusion") },
        { knob(64, "Ducking"), knob(65, "Threshold"), knob(66, "Release") },
        { menu(62, "Spillover") },
    };

    tables[6] = { // Cho
        { menu(204, "Enable") },
        { knob(205, "Level"), knob(206, "Mix"), knob(207, "Width"), knob(208, "Speed"), knob(209, "Depth") },
        { knob(210, "Delay"), knob(213, "Wave"), knob(211, "Low Cut"), knob(212, "High Cut") },
        { intMenu(214, "Voices") },
        { knob(215, "Mix 1"), knob(218, "Mix 2"), knob(221, "Mix 3"), knob(224, "Mix 4") },
        { knob(216, "Pan 1"), knob(219, "Pan 2"), knob(222, "Pan 3"), knob(225, "Pan 4") },
        { knob(217, "Phase 1"), knob(220, "Phase 2"), knob(223, "Phase 3"), knob(226, "Phase 4") },
    };

    tables[7] = { // Fla
        { menu(227, "Enable") },
        { menu(238, "Thru Zero") },
        { knob(228, "Level"), knob(229, "Mix"), knob(230, "Width"), knob(232, "Speed"), knob(233, "Sweep"),
          knob(234, "Regen") },
        { knob(231, "Delay"), knob(235, "Wave"), knob(236, "Phase"), knob(237, "Duty") },
        { menu(240, "Invert Mix"), menu(239, "Invert Fdbk") },
    };

    tables[8] = { // Pha
        { menu(241, "Enable") },
        { menu(251, "Stages"), menu(253, "Type") },
        { knob(242, "Level"), knob(243, "Depth"), knob(244, "Width"), knob(245, "Speed"), knob(246, "Sweep"),
          knob(247, "Regen") },
        { knob(248, "Wave"), knob(249, "Duty"), knob(250, "Phase"), knob(252, "Base Freq") },
    };

    tables[9] = { // Trem
        { menu(254, "Enable") },
        { knob(255, "Level"), knob(257, "Depth"), knob(261, "Width"), knob(256, "Speed"), knob(262, "Taper") },
        { knob(258, "Wave"), knob(260, "Phase"), knob(259, "Duty") },
    };

    tables[10] = { // Gate
        { menu(67, "Enable") },
        { knob(369, "Threshold"), knob(372, "Ratio"), knob(370, "Attack"), knob(371, "Release") },
        { menu(373, "Setting") },
        { knob(68, "Global Threshold"), knob(71, "Global Ratio"), knob(69, "Global Attack"),
          knob(70, "Global Release") },
    };

    tables[11] = { // Comp
        { menu(72, "Enable") },
        { menu(167, "Mode") },
        { knob(163, "Threshold"), knob(73, "Ratio"), knob(76, "Level"), knob(74, "Attack"), knob(75, "Release"),
          knob(170, "Knee") },
        { menu(168, "Makeup"), menu(169, "Detector") },
    };

    tables[12] = { // Loop
        { menu(77, "Enable"), menu(78, "Mode") },
        { menu(375, "Mix"), knob(79, "Send Lvl"), knob(80, "Return Lvl") },
        { menu(83, "Param A"), knob(84, "Min A"), knob(85, "Max A") },
        { menu(86, "Param B"), knob(87, "Min B"), knob(88, "Max B") },
    };

    tables[13] = { // Wah
        { menu(150, "Enable") },
        { menu(311, "Mode"), menu(154, "Type") },
        { knob(151, "Pedal"), knob(312, "Taper"), knob(152, "Freq Min"), knob(153, "Freq Max"), knob(155, "Q"),
          knob(156, "Level") },
        { knob(313, "T.Sense"), knob(314, "T.Attack"), knob(315, "T.Release") },
        { knob(316, "LFO Freq"), knob(317, "LFO Wave"), knob(318, "LFO Duty") },
        { menu(157, "Auto Off"), knob(159, "Threshold"), knob(158, "Timer") },
    };

    tables[14] = { // Vol
        { menu(160, "Enable") },
        { menu(361, "Mode"), menu(365, "Env.Src") },
        { knob(162, "Pedal"), knob(362, "Taper"), spacer, knob(363, "Sense"), knob(364, "Attack") },
    };

    tables[15] = { // GEQ
        { menu(93, "Enable") },
        { knob(96, "80"), knob(97, "160"), knob(98, "320"), knob(99, "640"), spacer, knob(95, "Level") },
        { knob(100, "1.2k"), knob(101, "2.6k"), knob(102, "5.1k") },
    };

    tables[16] = { // PreEQ
        { menu(103, "Enable") },
        { menu(104, "Type") },
        { knob(105, "Level"), knob(106, "Freq"), knob(107, "Q"), knob(108, "LowCut") },
    };

    tables[17] = { // PEQ 1
        { menu(109, "Enable") },
        { menu(110, "Type") },
        { knob(112, "Level"), knob(113, "Freq"), knob(114, "Q") },
    };

    tables[18] = { // PEQ 2
        { menu(115, "Enable") },
        { menu(116, "Type") },
        { knob(118, "Level"), knob(119, "Freq"), knob(120, "Q") },
    };

    tables[19] = { // PEQ 3
        { menu(121, "Enable") },
        { menu(122, "Type") },
        { knob(124, "Level"), knob(125, "Freq"), knob(126, "Q") },
    };

    tables[23] = { // Psh
        { menu(171, "Enable") },
        { menu(374, "Mode"), menu(394, "Pitch Detect") },
        { knob(173, "Level"), knob(393, "DryMix"), knob(383, "Heel"), knob(384, "Toe") },
        { menu(385, "Key"), menu(386, "Scale") },
        { knob(387, "Interval 1"), knob(389, "Mix 1"), knob(391, "Pan 1") },
        { knob(388, "Interval 2"), knob(390, "Mix 2"), knob(392, "Pan 2") },
        { knob(380, "Tune 1"), menu(378, "Shift 1") },
        { knob(381, "Tune 2"), menu(379, "Shift 2") },
    };

    return tables;
}

const std::map<int, EditLayoutTable>& allTables()
{
    static const std::map<int, EditLayoutTable> tables = buildTables();
    return tables;
}

} // namespace

void initEditLayoutTables()
{
    allTables();
}

const EditLayoutTable* getEditLayoutForBlock(int blockID)
{
    const auto& tables = allTables();
    const auto found = tables.find(blockID);
    return found != tables.end() ? &found->second : nullptr;
}
