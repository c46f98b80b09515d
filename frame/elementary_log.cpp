// log x: x = 2^k z with z in [0.75, 1.5), z = (1 + f) / c with c from a table
// of 256 cells, so that log x = k ln2 - log c + log(1 + f), |f| <= 2^-8.  The
// decimal logarithm is log x times 1/ln10.
#include "frame/elementary.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qrvp {
namespace elementary {
namespace {

// For each cell of z (128 cells 2^-9 wide from 0.75, 128 cells 2^-8 wide from
// 1): c, the inverse of the cell's centre to 10 bits (1 in the two cells beside
// 1, so that log x near 1 is f itself), and -log(c) as hi + lo (printed by
// scripts/elementary-tables.cpp).
struct LogCell {
    double c;
    double hi;
    double lo;
};
constexpr std::array<LogCell, 256> kLogCells = {{
    {0x1.55p+0, -0x1.2596010df763ap-2, 0x1.0f76c57075e9ep-58},
    {0x1.54p+0, -0x1.22941fbcf7966p-2, 0x1.76f5eb09628afp-56},
    {0x1.53p+0, -0x1.1f8ff9e48a2f3p-2, 0x1.c9fdf9a0c4b07p-56},
    {0x1.528p+0, -0x1.1e0d0c33716bep-2, -0x1.e55361a93fe61p-57},
    {0x1.518p+0, -0x1.1b05791f07b49p-2, 0x1.466dc55e2d052p-56},
    {0x1.508p+0, -0x1.17fb98e15095dp-2, -0x1.7458b5d97ba9dp-56},
    {0x1.4f8p+0, -0x1.14ef67f88685ap-2, -0x1.66880da1b13e4p-58},
    {0x1.4fp+0, -0x1.136870293a8bp-2, -0x1.7b66298edd24ap-56},
    {0x1.4ep+0, -0x1.1058bf9ae4ad5p-2, -0x1.89fa0ab4cb31dp-58},
    {0x1.4dp+0, -0x1.0d46b579ab74bp-2, -0x1.03ec81c3cbd92p-57},
    {0x1.4cp+0, -0x1.0a324e27390e3p-2, -0x1.7dcfde8061c03p-56},
    {0x1.4b8p+0, -0x1.08a73667c57afp-2, -0x1.d40c5a328e6c6p-60},
    {0x1.4a8p+0, -0x1.058f3c703ebc6p-2, 0x1.9af348dab5c3cp-58},
    {0x1.498p+0, -0x1.0274dc16c232fp-2, -0x1.e89cf835c278p-57},
    {0x1.49p+0, -0x1.00e6c45ad501dp-2, 0x1.cb9568ff6feadp-57},
    {0x1.48p+0, -0x1.fb9186d5e3e2bp-3, 0x1.caaae64f21acbp-57},
    {0x1.478p+0, -0x1.f871b28955045p-3, -0x1.4ad6c8812d31ap-63},
    {0x1.468p+0, -0x1.f22e5e72f105dp-3, -0x1.61d7d037c1899p-57},
    {0x1.458p+0, -0x1.ebe61f4dd7b0bp-3, 0x1.4cc3f7293285cp-59},
    {0x1.45p+0, -0x1.e8c0252aa5a6p-3, 0x1.6e03a39bfc89bp-59},
    {0x1.44p+0, -0x1.e27076e2af2e6p-3, 0x1.61578001e0162p-59},
    {0x1.43p+0, -0x1.dc1bca0abec7dp-3, -0x1.834c51998b6fcp-57},
    {0x1.428p+0, -0x1.d8ef91af31d5ep-3, 0x1.7f0d931e0e2cap-60},
    {0x1.418p+0, -0x1.d293581b6b3e7p-3, 0x1.c04a2aa97ac8ep-58},
    {0x1.41p+0, -0x1.cf6354e09c5dcp-3, -0x1.239a07d55b695p-57},
    {0x1.4p+0, -0x1.c8ff7c79a9a22p-3, 0x1.4f689f8434012p-57},
    {0x1.3f8p+0, -0x1.c5cba543ae425p-3, 0x1.62134bab038d8p-57},
    {0x1.3e8p+0, -0x1.bf601bb0e44e2p-3, 0x1.56b83c874aaf4p-57},
    {0x1.3ep+0, -0x1.bc286742d8cd6p-3, -0x1.4fce744870f55p-58},
    {0x1.3dp+0, -0x1.b5b519e8fb5a4p-3, -0x1.ba27fdc19e1ap-57},
    {0x1.3cp+0, -0x1.af3c94e80bff3p-3, 0x1.398cff3641985p-58},
    {0x1.3b8p+0, -0x1.abfe5ae46124cp-3, 0x1.ea72be27390fp-57},
    {0x1.3a8p+0, -0x1.a57df28244dcdp-3, 0x1.b9af132a24e39p-59},
    {0x1.3ap+0, -0x1.a23bc1fe2b563p-3, -0x1.93711b07a998cp-59},
    {0x1.39p+0, -0x1.9bb362e7dfb83p-3, -0x1.575e31f003e0cp-57},
    {0x1.388p+0, -0x1.986d3228180cap-3, 0x1.2a6c8af000189p-58},
    {0x1.378p+0, -0x1.91dcc8c340bdep-3, -0x1.aaf77bfd17182p-58},
    {0x1.37p+0, -0x1.8e928de886d41p-3, 0x1.569d851a5677p-57},
    {0x1.36p+0, -0x1.87fa06520c911p-3, 0x1.bf7fdbfa08d9ap-57},
    {0x1.358p+0, -0x1.84abb75865139p-3, -0x1.5482c750b9638p-58},
    {0x1.35p+0, -0x1.815c0a14357ebp-3, 0x1.4be48073a0564p-58},
    {0x1.34p+0, -0x1.7ab890210d909p-3, -0x1.be36b2d6a0608p-59},
    {0x1.338p+0, -0x1.7764c128f2127p-3, -0x1.240d1e78f44cep-57},
    {0x1.328p+0, -0x1.70b8f97a1aa75p-3, -0x1.93daa56fbafd6p-58},
    {0x1.32p+0, -0x1.6d60fe719d21dp-3, 0x1.caae268ecd179p-57},
    {0x1.31p+0, -0x1.66acd4272ad51p-3, 0x1.0900e4e1ea8b2p-58},
    {0x1.308p+0, -0x1.6350a28aaa758p-3, 0x1.3f547e9c51633p-57},
    {0x1.3p+0, -0x1.5ff3070a793d4p-3, 0x1.bc60efafc6f6ep-58},
    {0x1.2fp+0, -0x1.59338d9982086p-3, 0x1.65d22aa8ad7cfp-58},
    {0x1.2e8p+0, -0x1.55d1ad4232d6fp-3, 0x1.ac8966e060839p-58},
    {0x1.2d8p+0, -0x1.4f099f4a230b2p-3, -0x1.a0a02a1b24794p-61},
    {0x1.2dp+0, -0x1.4ba36f39a55e5p-3, -0x1.68981bcc36756p-57},
    {0x1.2c8p+0, -0x1.483bccce6e3ddp-3, -0x1.29391fb1b4b22p-57},
    {0x1.2b8p+0, -0x1.41682bf727bcp-3, 0x1.1c207e127261bp-59},
    {0x1.2bp+0, -0x1.3dfc2b0ecc62ap-3, 0x1.ab3a8e7d81017p-58},
    {0x1.2ap+0, -0x1.371fc201e8f74p-3, -0x1.de6cb62af18ap-58},
    {0x1.298p+0, -0x1.33af575770e4fp-3, -0x1.9945fce5491eap-57},
    {0x1.29p+0, -0x1.303d718e47fd3p-3, 0x1.6b9c7d96091fap-63},
    {0x1.28p+0, -0x1.29552f81ff523p-3, -0x1.301771c407dbfp-57},
    {0x1.278p+0, -0x1.25ded0abc6ad2p-3, 0x1.eac3a26edd19cp-58},
    {0x1.27p+0, -0x1.2266f190a5acbp-3, -0x1.f547bf1809e88p-57},
    {0x1.26p+0, -0x1.1b72ad52f67ap-3, -0x1.483023472cd74p-58},
    {0x1.258p+0, -0x1.17f6458fca611p-3, 0x1.4bdb0dc8fdffap-63},
    {0x1.25p+0, -0x1.14785846742acp-3, -0x1.a28813e3a7f07p-57},
    {0x1.24p+0, -0x1.0d77e7cd08e59p-3, -0x1.9a5dc5e9030acp-57},
    {0x1.238p+0, -0x1.09f561ee719c3p-3, -0x1.f51d505cb0b76p-58},
    {0x1.23p+0, -0x1.0671512ca596ep-3, -0x1.50c647eb86499p-58},
    {0x1.228p+0, -0x1.02ebb42bf3d4bp-3, 0x1.f4b9c01cb92c6p-59},
    {0x1.218p+0, -0x1.f7b79fec37ddfp-4, 0x1.87e897ed01783p-59},
    {0x1.21p+0, -0x1.f0a30c01162a6p-4, -0x1.85f325c5bbacdp-58},
    {0x1.208p+0, -0x1.e98b549671467p-4, -0x1.d227143a5a998p-58},
    {0x1.2p+0, -0x1.e27076e2af2e6p-4, 0x1.61578001e0162p-60},
    {0x1.1fp+0, -0x1.d4313d66cb35dp-4, -0x1.790dd951d90fap-58},
    {0x1.1e8p+0, -0x1.cd0cdbf8c13e1p-4, -0x1.36d4375d0c271p-58},
    {0x1.1ep+0, -0x1.c5e548f5bc743p-4, -0x1.5d617ef8161b1p-60},
    {0x1.1dp+0, -0x1.b78c82bb0eda1p-4, -0x1.0878cf0327e21p-61},
    {0x1.1c8p+0, -0x1.b05b49bee43fep-4, -0x1.160c7c252f298p-58},
    {0x1.1cp+0, -0x1.a926d3a4ad563p-4, -0x1.942f48aa70ea9p-58},
    {0x1.1b8p+0, -0x1.a1ef1d8061cd4p-4, -0x1.76df97bcb177fp-60},
    {0x1.1bp+0, -0x1.9ab42462033adp-4, 0x1.2099e1c184e8ep-59},
    {0x1.1ap+0, -0x1.8c345d6319b21p-4, 0x1.4a697ab3424a9p-61},
    {0x1.198p+0, -0x1.84ef898e8282ap-4, -0x1.96dcb441b9227p-59},
    {0x1.19p+0, -0x1.7da766d7b12cdp-4, 0x1.eeedfcdd94131p-58},
    {0x1.188p+0, -0x1.765bf23a6be13p-4, -0x1.0ff28ef6a592fp-58},
    {0x1.18p+0, -0x1.6f0d28ae56b4cp-4, 0x1.906d99184b992p-58},
    {0x1.17p+0, -0x1.60658a93750c4p-4, 0x1.388458ec21b6ap-58},
    {0x1.168p+0, -0x1.590cafdf01c28p-4, -0x1.3d5c8aaea76d2p-58},
    {0x1.16p+0, -0x1.51b073f06183fp-4, -0x1.a49e39a1a8be4p-58},
    {0x1.158p+0, -0x1.4a50d3aa1b04p-4, -0x1.ecf768c1dd57bp-61},
    {0x1.15p+0, -0x1.42edcbea646fp-4, -0x1.ddd4f935996c9p-59},
    {0x1.14p+0, -0x1.341d7961bd1d1p-4, 0x1.b599f227becbbp-58},
    {0x1.138p+0, -0x1.2cb0283f5de1fp-4, 0x1.d359a8fde8adep-60},
    {0x1.13p+0, -0x1.253f62f0a1417p-4, 0x1.c125963fc4cfdp-62},
    {0x1.128p+0, -0x1.1dcb263db1944p-4, -0x1.3d7a7a2605718p-58},
    {0x1.12p+0, -0x1.16536eea37ae1p-4, 0x1.79da3e8c22cdap-60},
    {0x1.118p+0, -0x1.0ed839b5526fep-4, -0x1.7256ea8988a68p-61},
    {0x1.11p+0, -0x1.075983598e471p-4, -0x1.80da5333c45b8p-59},
    {0x1.1p+0, -0x1.f0a30c01162a6p-5, -0x1.85f325c5bbacdp-59},
    {0x1.0f8p+0, -0x1.e19070c276016p-5, 0x1.19918a7a17dc1p-59},
    {0x1.0fp+0, -0x1.d276b8adb0b52p-5, -0x1.1e3c53257fd47p-61},
    {0x1.0e8p+0, -0x1.c355dd0921f2dp-5, 0x1.9b2a03e3be3a7p-60},
    {0x1.0ep+0, -0x1.b42dd711971bfp-5, 0x1.eb9759c130499p-60},
    {0x1.0d8p+0, -0x1.a4fe9ffa3d235p-5, 0x1.28100a49366b4p-62},
    {0x1.0dp+0, -0x1.95c830ec8e3ebp-5, -0x1.f5a0e80520bf2p-59},
    {0x1.0c8p+0, -0x1.868a83083f6cfp-5, 0x1.d09a5634943dbp-61},
    {0x1.0cp+0, -0x1.77458f632dcfcp-5, -0x1.18d3ca87b9296p-59},
    {0x1.0bp+0, -0x1.58a5bafc8e4d5p-5, 0x1.ce55c2b4e2b72p-59},
    {0x1.0a8p+0, -0x1.494acc34d911cp-5, -0x1.e295bf491ccc5p-59},
    {0x1.0ap+0, -0x1.39e87b9febd6p-5, 0x1.5bfa937f551bbp-59},
    {0x1.098p+0, -0x1.2a7ec2214e873p-5, -0x1.8856e9c01e6ddp-61},
    {0x1.09p+0, -0x1.1b0d98923d98p-5, 0x1.e9ae889bac481p-60},
    {0x1.088p+0, -0x1.0b94f7c196176p-5, -0x1.da43f761f4dc4p-59},
    {0x1.08p+0, -0x1.f829b0e7833p-6, -0x1.33e3f04f1ef23p-60},
    {0x1.078p+0, -0x1.d91a66c543cc4p-6, 0x1.d34e608cbdaabp-62},
    {0x1.07p+0, -0x1.b9fc027af9198p-6, 0x1.0ae69229dc868p-64},
    {0x1.068p+0, -0x1.9ace7551cc514p-6, -0x1.3409c1df8167fp-60},
    {0x1.06p+0, -0x1.7b91b07d5b11bp-6, 0x1.5b602ace3a51p-60},
    {0x1.058p+0, -0x1.5c45a51b8d389p-6, 0x1.b10b6c3ec21b4p-60},
    {0x1.05p+0, -0x1.3cea44346a575p-6, 0x1.0cb5a902b3a1cp-62},
    {0x1.048p+0, -0x1.1d7f7eb9eebe7p-6, 0x1.d41fe63d2dbf9p-61},
    {0x1.04p+0, -0x1.fc0a8b0fc03e4p-7, 0x1.83092c59642a1p-62},
    {0x1.038p+0, -0x1.bcf712c74384cp-7, 0x1.f6842688f499ap-62},
    {0x1.03p+0, -0x1.7dc475f810a77p-7, 0x1.16d7687d3df21p-62},
    {0x1.028p+0, -0x1.3e7295d25a7d9p-7, 0x1.ff29a11443a06p-65},
    {0x1.02p+0, -0x1.fe02a6b106789p-8, 0x1.e44b7e3711ebfp-67},
    {0x1.018p+0, -0x1.7ee11ebd82e94p-8, 0x1.61e96e2fc5d9p-62},
    {0x1.01p+0, -0x1.ff00aa2b10bcp-9, -0x1.2821ad5a6d353p-63},
    {0x1p+0, -0x0p+0, 0x0p+0},
    {0x1p+0, -0x0p+0, 0x0p+0},
    {0x1.fdp-1, 0x1.8121214586b54p-8, 0x1.c14b9f9377a1dp-65},
    {0x1.fbp-1, 0x1.41929f96832fp-7, -0x1.c5517f64bc223p-61},
    {0x1.f9p-1, 0x1.c317384c75f06p-7, 0x1.806208c04c22p-61},
    {0x1.f7p-1, 0x1.228fb1fea2e28p-6, -0x1.cd7b66e01c26dp-61},
    {0x1.f5p-1, 0x1.63d6178690bd6p-6, -0x1.8ed4d357c9c97p-64},
    {0x1.f38p-1, 0x1.94f6b99a24475p-6, 0x1.ef96cf7f51618p-60},
    {0x1.f18p-1, 0x1.d6b2725979802p-6, 0x1.2bcb91f1e6b27p-62},
    {0x1.ef8p-1, 0x1.0c58fa19dfaaap-5, -0x1.d158b17912f05p-59},
    {0x1.ed8p-1, 0x1.2d7ae5c3c5baep-5, -0x1.ca2ced33683f7p-59},
    {0x1.ecp-1, 0x1.466aed42de3eap-5, -0x1.cdd6f7f4a137ep-59},
    {0x1.eap-1, 0x1.67c94f2d4bb58p-5, 0x1.0413e6505e603p-59},
    {0x1.e8p-1, 0x1.894aa149fb343p-5, 0x1.a8be97660a23dp-60},
    {0x1.e68p-1, 0x1.a282b8a936171p-5, -0x1.6603bf238a4eap-59},
    {0x1.e48p-1, 0x1.c441e06f72a9ep-5, 0x1.f49850d154acap-60},
    {0x1.e3p-1, 0x1.dda8adc67ee4ep-5, 0x1.4e6c986f44c55p-59},
    {0x1.e1p-1, 0x1.ffa6911ab9301p-5, -0x1.cd9f1f95c2eedp-59},
    {0x1.dfp-1, 0x1.10e45b3cae831p-4, -0x1.a4a128d192686p-58},
    {0x1.dd8p-1, 0x1.1dbd2643d190bp-4, 0x1.26cbbe249fc08p-59},
    {0x1.dcp-1, 0x1.2aa04a44717a5p-4, -0x1.d15d38d2fa3f7p-58},
    {0x1.dap-1, 0x1.3bdf5a7d1ee64p-4, 0x1.7a976d3b5b45fp-59},
    {0x1.d88p-1, 0x1.48dae4bc31018p-4, 0x1.6c8230802fa96p-58},
    {0x1.d68p-1, 0x1.5a3abb01ade25p-4, 0x1.d279abe85fab6p-58},
    {0x1.d5p-1, 0x1.674f089365a7ap-4, -0x1.9acd8b33f8fdcp-58},
    {0x1.d38p-1, 0x1.746e100226ed9p-4, 0x1.748f0ef16ce8dp-59},
    {0x1.d18p-1, 0x1.85fd927506a48p-4, -0x1.819970c1c76cdp-60},
    {0x1.dp-1, 0x1.9335e5d594989p-4, -0x1.478a85704ccb7p-58},
    {0x1.ce8p-1, 0x1.a0792e9277cacp-4, 0x1.8c9b2957205c6p-58},
    {0x1.cc8p-1, 0x1.b23965a52ffp-4, 0x1.3622bd91f0d86p-58},
    {0x1.cbp-1, 0x1.bf968769fca11p-4, -0x1.cdc9f6f5f38c7p-59},
    {0x1.c98p-1, 0x1.ccfedbfee13a8p-4, 0x1.197f3892ad2bap-59},
    {0x1.c8p-1, 0x1.da727638446a2p-4, 0x1.401fa71733019p-58},
    {0x1.c68p-1, 0x1.e7f1691a32d3ep-4, 0x1.d321c420330f3p-59},
    {0x1.c5p-1, 0x1.f57bc7d9005dbp-4, -0x1.9361574fb24e2p-58},
    {0x1.c3p-1, 0x1.03cdc0a51ec0dp-3, 0x1.39e2d3f8b7d1p-57},
    {0x1.c18p-1, 0x1.0aa06912675d5p-3, 0x1.cc51f9bdae72dp-57},
    {0x1.cp-1, 0x1.1178e8227e47cp-3, -0x1.0e63a5f01c691p-58},
    {0x1.be8p-1, 0x1.185747dbecf34p-3, -0x1.777484c96e5d5p-57},
    {0x1.bdp-1, 0x1.1f3b925f25d41p-3, 0x1.62c9ef939ac5dp-59},
    {0x1.bb8p-1, 0x1.2625d1e6ddf57p-3, -0x1.2c5e13c7b03d6p-57},
    {0x1.bap-1, 0x1.2d1610c86813ap-3, -0x1.499a3f25af95fp-58},
    {0x1.b88p-1, 0x1.340c59741142ep-3, 0x1.18413163ccbdp-59},
    {0x1.b7p-1, 0x1.3b08b6757f2a9p-3, 0x1.70d6cdf05266cp-60},
    {0x1.b58p-1, 0x1.420b32740fdd4p-3, -0x1.41642d0442295p-57},
    {0x1.b4p-1, 0x1.4913d8333b561p-3, -0x1.0d5604930f135p-58},
    {0x1.b28p-1, 0x1.5022b292f6a45p-3, 0x1.7fcda896de0e9p-62},
    {0x1.b18p-1, 0x1.54dabc26105d2p-3, -0x1.011a372f27d11p-57},
    {0x1.bp-1, 0x1.5bf406b543db2p-3, -0x1.1f5b44c0df7e7p-61},
    {0x1.ae8p-1, 0x1.6313a37335d76p-3, 0x1.05586f0ac97d8p-57},
    {0x1.adp-1, 0x1.6a399dabbd383p-3, 0x1.96332bd4b341fp-57},
    {0x1.ab8p-1, 0x1.716600c914054p-3, 0x1.b157cec383873p-57},
    {0x1.aa8p-1, 0x1.7631d82935a86p-3, 0x1.047074183dfcbp-58},
    {0x1.a9p-1, 0x1.7d6903caf5adp-3, -0x1.ac5f0c075b847p-59},
    {0x1.a78p-1, 0x1.84a6b759f512fp-3, -0x1.0055bf0c11f3dp-57},
    {0x1.a6p-1, 0x1.8beafeb38fe8cp-3, 0x1.55aa8b6997a4p-58},
    {0x1.a5p-1, 0x1.90c6db9fcbcd9p-3, 0x1.054473941ad99p-57},
    {0x1.a38p-1, 0x1.981634011aa75p-3, 0x1.bb3d208bc42a7p-57},
    {0x1.a2p-1, 0x1.9f6c407089664p-3, 0x1.35a19605e67efp-59},
    {0x1.a1p-1, 0x1.a454082e6ab05p-3, 0x1.df207dc5c34c6p-58},
    {0x1.9f8p-1, 0x1.abb55c31693adp-3, -0x1.6b2bc53360abap-58},
    {0x1.9ep-1, 0x1.b31d8575bce3dp-3, -0x1.6353ab386a94dp-57},
    {0x1.9dp-1, 0x1.b811730b823d2p-3, 0x1.a0ee735d9f0ecp-60},
    {0x1.9b8p-1, 0x1.bf851c067555fp-3, -0x1.c9810a959106ap-61},
    {0x1.9ap-1, 0x1.c6ffbc6f00f71p-3, -0x1.8e58b2c57a4a5p-57},
    {0x1.99p-1, 0x1.cc000c9db3c52p-3, 0x1.53d154280394fp-57},
    {0x1.978p-1, 0x1.d38666871f465p-3, -0x1.42ce24caf02f9p-58},
    {0x1.968p-1, 0x1.d88e93fb2f45p-3, 0x1.affb96815e081p-57},
    {0x1.95p-1, 0x1.e020cc6235ab5p-3, 0x1.fea48dd7b81d1p-58},
    {0x1.94p-1, 0x1.e530effe71012p-3, 0x1.2276041f43042p-59},
    {0x1.928p-1, 0x1.eccf2c8fe920ap-3, -0x1.8e8f9d590196p-58},
    {0x1.918p-1, 0x1.f1e75fadf9bdep-3, 0x1.d4da27c093199p-57},
    {0x1.9p-1, 0x1.f991c6cb3b379p-3, 0x1.f665066f980a2p-57},
    {0x1.8fp-1, 0x1.feb2233ea07cdp-3, 0x1.8de00938b4c4p-61},
    {0x1.8ep-1, 0x1.01eae5626c691p-2, -0x1.18290bd2932e2p-59},
    {0x1.8c8p-1, 0x1.05c8be0d9635ap-2, 0x1.e38ef996b0c96p-58},
    {0x1.8b8p-1, 0x1.085eb8f8ae797p-2, 0x1.513f45fe7a977p-56},
    {0x1.8ap-1, 0x1.0c42d676162e3p-2, 0x1.162c79d5d11eep-58},
    {0x1.89p-1, 0x1.0edd060b78081p-2, -0x1.92b49ef282b09p-57},
    {0x1.88p-1, 0x1.1178e8227e47cp-2, -0x1.0e63a5f01c691p-57},
    {0x1.868p-1, 0x1.1565eed455fc3p-2, 0x1.4a4092a8bb5ep-58},
    {0x1.858p-1, 0x1.180618ef18adfp-2, 0x1.003792c71a98p-56},
    {0x1.848p-1, 0x1.1aa7fd638d33fp-2, -0x1.f569e908600b2p-57},
    {0x1.83p-1, 0x1.1e9e1678899f4p-2, 0x1.512c3749a1e4ep-56},
    {0x1.82p-1, 0x1.214456d0eb8d4p-2, 0x1.f7ae91aeba60ap-57},
    {0x1.81p-1, 0x1.23ec5991eba49p-2, 0x1.bb75d1addf87p-60},
    {0x1.8p-1, 0x1.269621134db92p-2, 0x1.e0efadd9db02bp-56},
    {0x1.7e8p-1, 0x1.2a982269a3dbfp-2, 0x1.38d546bd18905p-56},
    {0x1.7d8p-1, 0x1.2d46602adcceep-2, 0x1.7911955f3520fp-56},
    {0x1.7c8p-1, 0x1.2ff66b04ea9d4p-2, 0x1.2dabe191d1c94p-56},
    {0x1.7b8p-1, 0x1.32a84565120a8p-2, -0x1.b5fb19428a75ep-57},
    {0x1.7a8p-1, 0x1.355bf1bd82c8bp-2, -0x1.9b8964f0e80dcp-57},
    {0x1.79p-1, 0x1.396ce359bbf54p-2, -0x1.ce2b31b31e8bp-58},
    {0x1.78p-1, 0x1.3c25277333184p-2, -0x1.2ad27e50a8ec6p-56},
    {0x1.77p-1, 0x1.3edf463c1683ep-2, 0x1.83d680d3c1084p-56},
    {0x1.76p-1, 0x1.419b423d5e8c7p-2, 0x1.0dbb243827392p-57},
    {0x1.75p-1, 0x1.44591e0539f49p-2, -0x1.2b125247b0fa5p-56},
    {0x1.74p-1, 0x1.4718dc271c41bp-2, 0x1.8fb4c14c56eefp-60},
    {0x1.73p-1, 0x1.49da7f3bcc41fp-2, -0x1.9964a168ccacap-57},
    {0x1.718p-1, 0x1.4e0086dd8bacap-2, 0x1.6d5e1bb877c2ep-56},
    {0x1.708p-1, 0x1.50c6f1d11b97cp-2, 0x1.94817d83d3edp-56},
    {0x1.6f8p-1, 0x1.538f4af8f72fep-2, -0x1.fe8dd55c19315p-56},
    {0x1.6e8p-1, 0x1.565995069514cp-2, 0x1.7f4aeb71dce6p-56},
    {0x1.6d8p-1, 0x1.5925d2b112a59p-2, 0x1.4b0b52198dbd9p-61},
    {0x1.6c8p-1, 0x1.5bf406b543db2p-2, -0x1.1f5b44c0df7e7p-60},
    {0x1.6b8p-1, 0x1.5ec433d5c35aep-2, -0x1.cbdbac5d0228ep-57},
    {0x1.6a8p-1, 0x1.61965cdb02c1fp-2, -0x1.5ac078911cb74p-58},
    {0x1.698p-1, 0x1.646a84935b2a2p-2, -0x1.1b692d3651a8cp-58},
    {0x1.688p-1, 0x1.6740add31de94p-2, 0x1.da3a6c7a9dfc9p-56},
    {0x1.678p-1, 0x1.6a18db74a58c5p-2, 0x1.2984af5bb1b85p-57},
    {0x1.668p-1, 0x1.6cf31058670ecp-2, 0x1.64894e151b518p-57},
    {0x1.658p-1, 0x1.6fcf4f65034fdp-2, -0x1.84afc8f39eba6p-57},
    {0x1.648p-1, 0x1.72ad9b8758c6p-2, 0x1.704c509e97208p-56},
    {0x1.638p-1, 0x1.758df7b29572cp-2, -0x1.efbd647eb9949p-56},
    {0x1.628p-1, 0x1.787066e04915fp-2, 0x1.1889fb7f63d1ep-56},
    {0x1.62p-1, 0x1.79e26687cfb3ep-2, -0x1.c168817443f22p-56},
    {0x1.61p-1, 0x1.7cc7f7db46a0ep-2, -0x1.8438023cdc3d3p-56},
    {0x1.6p-1, 0x1.7fafa3bd8151cp-2, -0x1.219024acd3b77p-58},
    {0x1.5fp-1, 0x1.82996d3ef8bcbp-2, -0x1.2aa30536bb6bep-56},
    {0x1.5ep-1, 0x1.85855776dcbfbp-2, -0x1.486666443b153p-56},
    {0x1.5dp-1, 0x1.8873658327ccfp-2, -0x1.c43eff892d8dp-58},
    {0x1.5cp-1, 0x1.8b639a88b2df5p-2, -0x1.70f2f38238303p-56},
    {0x1.5bp-1, 0x1.8e55f9b349b83p-2, 0x1.e2763763baffcp-56},
    {0x1.5a8p-1, 0x1.8fcffa1614aap-2, 0x1.8a188558e1f94p-56},
    {0x1.598p-1, 0x1.92c59e79c0e56p-2, 0x1.7039fe986b146p-59},
    {0x1.588p-1, 0x1.95bd750ee3ed3p-2, -0x1.aac1924913abfp-56},
    {0x1.578p-1, 0x1.98b7811a3ee5bp-2, 0x1.49d2db30449ecp-56},
    {0x1.568p-1, 0x1.9bb3c5e7e4815p-2, 0x1.6b1bd75e74316p-56},
    {0x1.56p-1, 0x1.9d32bea15ed3bp-2, 0x1.87bcbcfd3e187p-59}
}};

// ln2 in two parts; the first has 42 bits, so k times it is exact.
constexpr double kLn2High = 0x1.62e42fefa38p-1;
constexpr double kLn2Low = 0x1.ef35793c7673p-45;
// 1/ln10 as hi + lo.
constexpr double kInvLn10High = 0x1.bcb7b1526e50ep-2;
constexpr double kInvLn10Low = 0x1.95355baaafad3p-57;
inline constexpr Wide kInvLn10{Join(0xde5bd8a937287195u, 0x355baaafad33dc32u), -129, false};

constexpr uint64_t kCellOrigin = 0x3fe8000000000000u;  // 0.75

// hi rounded when the error bound err cannot change the rounding; NaN otherwise.
double Decided(double hi, double lo, double err) {
    const double up = hi + (lo + err);
    return up == hi + (lo - err) ? up : std::numeric_limits<double>::quiet_NaN();
}

// The special values of the logarithms; false for a positive finite x.
bool Special(double x, double& result) {
    if (x > 0 && x < HUGE_VAL) return false;
    result = x == 0 ? -HUGE_VAL : x > 0 ? x : std::numeric_limits<double>::quiet_NaN();
    return true;
}

}  // namespace

DoubleDouble LogEstimate(double x) {
    uint64_t bits = std::bit_cast<uint64_t>(x);
    int scale = 0;
    if (bits < (uint64_t{1} << 52)) {  // subnormal
        bits = std::bit_cast<uint64_t>(x * 0x1p54);
        scale = -54;
    }
    const uint64_t offset = bits - kCellOrigin;
    const LogCell& cell = kLogCells[(offset >> 44) & 255];
    const double k = static_cast<double>((static_cast<int64_t>(offset) >> 52) + scale);
    const uint64_t zbits = bits - (offset & 0xfff0000000000000u);
    // z = zh + zl, zh with 43 bits: zh c and zl c are exact, and so is zh c - 1.
    const double zh = std::bit_cast<double>(zbits & ~uint64_t{0x3ff});
    const double zl = std::bit_cast<double>(zbits) - zh;
    const DoubleDouble f = TwoSum(zh * cell.c - 1.0, zl * cell.c);
    // log(1 + f) = f - f^2/2 + f^3 (1/3 - f/4 + ... + f^6/9); the next term is below 2^-75 f.
    const DoubleDouble f2 = TwoProduct(f.hi, f.hi);
    const double h = f.hi;
    const double p = h * f2.hi * (0x1.5555555555555p-2 + h * (-0x1p-2 + h * (0x1.999999999999ap-3
                     + h * (-0x1.5555555555555p-3 + h * (0x1.2492492492492p-3 + h * (-0x1p-3
                     + h * 0x1.c71c71c71c71cp-4))))));
    const DoubleDouble a = TwoSum(k * kLn2High, cell.hi);
    const DoubleDouble b = TwoSum(a.hi, f.hi);
    const DoubleDouble d = TwoSum(b.hi, -0x1p-1 * f2.hi);
    const double small = k * kLn2Low + cell.lo + (f.lo - 0x1p-1 * f2.lo - f.hi * f.lo + p);
    return {d.hi, d.lo + (b.lo + (a.lo + small))};
}

Wide LogWide(double x) {
    // y, the estimate, plus log(x e^-y) = log(1 + z), |z| < 2^-55 (so z - z^2/2).
    const DoubleDouble y0 = LogEstimate(x);
    const Wide y = Add(ToWide(y0.hi), ToWide(y0.lo));
    Wide z{};
    if (x >= 0x1p-1 && x <= 0x1p1)  // x e^-y - 1 = x (e^-y - 1) + (x - 1), x - 1 exact: z to its last bits
        z = Add(Multiply(ToWide(x), Expm1Wide(Negated(y))), ToWide(x - 1.0));
    else
        z = Add(Multiply(ToWide(x), ExpWide(Negated(y))), Negated(kWideOne));
    Wide half_z2 = Negated(Multiply(z, z));
    half_z2.e -= 1;
    return Add(y, Add(z, half_z2));
}

double LogAccurate(double x) { return Round(LogWide(x), kMargin); }

double Log10Accurate(double x) { return Round(Multiply(LogWide(x), kInvLn10), kMargin); }

}  // namespace elementary

double Log(double x) {
    double result = 0.0;
    if (elementary::Special(x, result)) return result;
    const elementary::DoubleDouble y = elementary::LogEstimate(x);
    result = elementary::Decided(y.hi, y.lo, std::fabs(y.hi) * 0x1p-66);
    return result == result ? result : elementary::LogAccurate(x);
}

double Log10(double x) {
    double result = 0.0;
    if (elementary::Special(x, result)) return result;
    const elementary::DoubleDouble y = elementary::LogEstimate(x);
    const elementary::DoubleDouble p = elementary::TwoProduct(y.hi, elementary::kInvLn10High);
    const double lo = p.lo + (y.hi * elementary::kInvLn10Low + y.lo * elementary::kInvLn10High);
    result = elementary::Decided(p.hi, lo, std::fabs(p.hi) * 0x1p-65);
    return result == result ? result : elementary::Log10Accurate(x);
}

}  // namespace qrvp
