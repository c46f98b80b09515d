// log x: x = 2^k z with z in [0.75, 1.5), z = (1 + f) / c with c from a table
// of 256 cells, so that log x = k ln2 - log c + log(1 + f), |f| <= 2^-8.  The
// decimal logarithm is log x times 1/ln10.
#include "frame/elementary.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>

namespace qrvp {
namespace elementary {
namespace {

// For each cell of z (128 cells 2^-9 wide from 0.75, 128 cells 2^-8 wide from
// 1): c, the inverse of the cell's centre to 10 bits (1 in the two cells beside
// 1, so that log x near 1 is f itself), and -log(c) as hi + lo, hi a multiple
// of 2^-42 so that k ln2 + hi is exact (printed by scripts/elementary-tables.cpp).
struct LogCell {
    double c;
    double hi;
    double lo;
};
constexpr LogCell kLogCells[] = {
    {0x1.55p+0, -0x1.2596010df7p-2, -0x1.8e7bc224ea3e3p-44},
    {0x1.54p+0, -0x1.22941fbcf8p-2, 0x1.a6976f5eb0963p-44},
    {0x1.53p+0, -0x1.1f8ff9e48ap-2, -0x1.7946c040cbe77p-45},
    {0x1.528p+0, -0x1.1e0d0c3371p-2, -0x1.af8f2a9b0d4ap-44},
    {0x1.518p+0, -0x1.1b05791f08p-2, 0x1.2dd466dc55e2dp-44},
    {0x1.508p+0, -0x1.17fb98e151p-2, 0x1.a8a8ba74a2684p-44},
    {0x1.4f8p+0, -0x1.14ef67f887p-2, 0x1.e97a65dfc9794p-44},
    {0x1.4fp+0, -0x1.136870293bp-2, 0x1.d3e8499d67123p-44},
    {0x1.4ep+0, -0x1.1058bf9ae5p-2, 0x1.4ab9d817d52cdp-44},
    {0x1.4dp+0, -0x1.0d46b579abp-2, -0x1.d2c81f640e1e6p-44},
    {0x1.4cp+0, -0x1.0a324e2739p-2, -0x1.c6bee7ef4030ep-47},
    {0x1.4b8p+0, -0x1.08a73667c5p-2, -0x1.ebc1d40c5a329p-44},
    {0x1.4a8p+0, -0x1.058f3c703fp-2, 0x1.0e866bcd236adp-44},
    {0x1.498p+0, -0x1.0274dc16c2p-2, -0x1.979e89cf835c2p-45},
    {0x1.49p+0, -0x1.00e6c45ad5p-2, -0x1.cc68d52e01203p-50},
    {0x1.48p+0, -0x1.fb9186d5e4p-3, 0x1.d572aab993c87p-47},
    {0x1.478p+0, -0x1.f871b28956p-3, 0x1.f75fd6a526efep-44},
    {0x1.468p+0, -0x1.f22e5e72f2p-3, 0x1.f454f1417e41fp-44},
    {0x1.458p+0, -0x1.ebe61f4dd8p-3, 0x1.3d45330fdca4dp-45},
    {0x1.45p+0, -0x1.e8c0252aa6p-3, 0x1.6805b80e8e6ffp-45},
    {0x1.44p+0, -0x1.e27076e2bp-3, 0x1.a342c2af0003cp-44},
    {0x1.43p+0, -0x1.dc1bca0abep-3, -0x1.8fac1a628ccc6p-44},
    {0x1.428p+0, -0x1.d8ef91af32p-3, 0x1.5105fc364c784p-46},
    {0x1.418p+0, -0x1.d293581b6cp-3, 0x1.83270128aaa5fp-44},
    {0x1.41p+0, -0x1.cf6354e09cp-3, -0x1.771239a07d55bp-45},
    {0x1.4p+0, -0x1.c8ff7c79aap-3, 0x1.7794f689f8434p-45},
    {0x1.3f8p+0, -0x1.c5cba543aep-3, -0x1.0929decb454fcp-45},
    {0x1.3e8p+0, -0x1.bf601bb0e4p-3, -0x1.386a947c378b5p-45},
    {0x1.3ep+0, -0x1.bc286742d8p-3, -0x1.9ac53f39d121cp-44},
    {0x1.3dp+0, -0x1.b5b519e8fcp-3, 0x1.4b722ec011f31p-44},
    {0x1.3cp+0, -0x1.af3c94e80cp-3, 0x1.a4e633fcd9066p-52},
    {0x1.3b8p+0, -0x1.abfe5ae462p-3, 0x1.b68f5395f139dp-44},
    {0x1.3a8p+0, -0x1.a57df28244p-3, -0x1.b99c8ca1d9abbp-44},
    {0x1.3ap+0, -0x1.a23bc1fe2cp-3, 0x1.539cd91dc9f0bp-44},
    {0x1.39p+0, -0x1.9bb362e7ep-3, 0x1.1f2a8a1ce0ffcp-45},
    {0x1.388p+0, -0x1.986d322818p-3, -0x1.93b564dd44p-48},
    {0x1.378p+0, -0x1.91dcc8c34p-3, -0x1.7bc6abddeff46p-44},
    {0x1.37p+0, -0x1.8e928de886p-3, -0x1.a8154b13d72d5p-44},
    {0x1.36p+0, -0x1.87fa06520cp-3, -0x1.22120401202fcp-44},
    {0x1.358p+0, -0x1.84abb75866p-3, 0x1.d8daadf4e2bd2p-44},
    {0x1.35p+0, -0x1.815c0a1436p-3, 0x1.02a52f9201ce8p-44},
    {0x1.34p+0, -0x1.7ab890210ep-3, 0x1.bdb9072534a58p-45},
    {0x1.338p+0, -0x1.7764c128f2p-3, -0x1.274903479e3d1p-47},
    {0x1.328p+0, -0x1.70b8f97a1ap-3, -0x1.4ea64f6a95befp-44},
    {0x1.32p+0, -0x1.6d60fe719ep-3, 0x1.bc6e557134767p-44},
    {0x1.31p+0, -0x1.66acd4272ap-3, -0x1.aa1bdbfc6c785p-44},
    {0x1.308p+0, -0x1.6350a28aaap-3, -0x1.d5ec0ab8163afp-45},
    {0x1.3p+0, -0x1.5ff3070a7ap-3, 0x1.8586f183bebf2p-44},
    {0x1.2fp+0, -0x1.59338d9982p-3, -0x1.0ba68b7555d4ap-48},
    {0x1.2e8p+0, -0x1.55d1ad4232p-3, -0x1.add94dda647e8p-44},
    {0x1.2d8p+0, -0x1.4f099f4a24p-3, 0x1.e9bf2fafeaf27p-44},
    {0x1.2dp+0, -0x1.4ba36f39a6p-3, 0x1.4354bb3f219e5p-44},
    {0x1.2c8p+0, -0x1.483bccce6ep-3, -0x1.eea52723f6369p-46},
    {0x1.2b8p+0, -0x1.41682bf728p-3, 0x1.10047081f849dp-45},
    {0x1.2bp+0, -0x1.3dfc2b0eccp-3, -0x1.8a72a62b8c13fp-45},
    {0x1.2ap+0, -0x1.371fc201e8p-3, -0x1.ee8779b2d8abcp-44},
    {0x1.298p+0, -0x1.33af57577p-3, -0x1.c9ecca2fe72a5p-44},
    {0x1.29p+0, -0x1.303d718e48p-3, 0x1.680b5ce3ecb05p-50},
    {0x1.28p+0, -0x1.29552f82p-3, 0x1.5b967f4471dfcp-44},
    {0x1.278p+0, -0x1.25ded0abc6p-3, -0x1.5a3854f176449p-44},
    {0x1.27p+0, -0x1.2266f190a6p-3, 0x1.4d20ab840e7f6p-45},
    {0x1.26p+0, -0x1.1b72ad52f6p-3, -0x1.e80a41811a396p-45},
    {0x1.258p+0, -0x1.17f6458fcap-3, -0x1.843fad093c8dcp-45},
    {0x1.25p+0, -0x1.1478584674p-3, -0x1.563451027c75p-46},
    {0x1.24p+0, -0x1.0d77e7cd08p-3, -0x1.cb2cd2ee2f482p-44},
    {0x1.238p+0, -0x1.09f561ee72p-3, 0x1.8f3057157d1a8p-45},
    {0x1.23p+0, -0x1.0671512ca6p-3, 0x1.a47579cdc0a3dp-45},
    {0x1.228p+0, -0x1.02ebb42bf4p-3, 0x1.5a8fa5ce00e5dp-46},
    {0x1.218p+0, -0x1.f7b79fec38p-4, 0x1.10987e897ed01p-47},
    {0x1.21p+0, -0x1.f0a30c0118p-4, 0x1.d599e83368e91p-44},
    {0x1.208p+0, -0x1.e98b54967p-4, -0x1.4677489c50e97p-44},
    {0x1.2p+0, -0x1.e27076e2bp-4, 0x1.a342c2af0003cp-45},
    {0x1.1fp+0, -0x1.d4313d66ccp-4, 0x1.9454379135713p-45},
    {0x1.1e8p+0, -0x1.cd0cdbf8cp-4, -0x1.3e14db50dd743p-44},
    {0x1.1ep+0, -0x1.c5e548f5bcp-4, -0x1.d0c57585fbe06p-46},
    {0x1.1dp+0, -0x1.b78c82bb1p-4, 0x1.25ef7bc3987e7p-44},
    {0x1.1c8p+0, -0x1.b05b49bee4p-4, -0x1.ff22c18f84a5ep-47},
    {0x1.1cp+0, -0x1.a926d3a4acp-4, -0x1.563650bd22a9cp-44},
    {0x1.1b8p+0, -0x1.a1ef1d806p-4, -0x1.cd4176df97bcbp-44},
    {0x1.1bp+0, -0x1.9ab4246204p-4, 0x1.8a64826787061p-45},
    {0x1.1ap+0, -0x1.8c345d6318p-4, -0x1.b20f5acb42a66p-44},
    {0x1.198p+0, -0x1.84ef898e84p-4, 0x1.7d5cd246977c9p-44},
    {0x1.19p+0, -0x1.7da766d7bp-4, -0x1.2cc844480c89bp-44},
    {0x1.188p+0, -0x1.765bf23a6cp-4, 0x1.ecbc035c4256ap-48},
    {0x1.18p+0, -0x1.6f0d28ae58p-4, 0x1.4b4641b664613p-44},
    {0x1.17p+0, -0x1.60658a9374p-4, -0x1.0c3b1dee9c4f8p-44},
    {0x1.168p+0, -0x1.590cafdfp-4, -0x1.c284f5722abaap-44},
    {0x1.16p+0, -0x1.51b073f06p-4, -0x1.83f69278e686ap-44},
    {0x1.158p+0, -0x1.4a50d3aa1cp-4, 0x1.f7fe1308973e2p-45},
    {0x1.15p+0, -0x1.42edcbea64p-4, -0x1.bc0eeea7c9acdp-46},
    {0x1.14p+0, -0x1.341d7961bcp-4, -0x1.1d0929983761p-44},
    {0x1.138p+0, -0x1.2cb0283f5cp-4, -0x1.e1ee2ca657021p-44},
    {0x1.13p+0, -0x1.253f62f0ap-4, -0x1.416f8fb69a701p-44},
    {0x1.128p+0, -0x1.1dcb263dbp-4, -0x1.9444f5e9e8981p-44},
    {0x1.12p+0, -0x1.16536eea38p-4, 0x1.47c5e768fa309p-46},
    {0x1.118p+0, -0x1.0ed839b554p-4, 0x1.901f46d48abb4p-44},
    {0x1.11p+0, -0x1.075983599p-4, 0x1.b8ecfe4b59987p-44},
    {0x1.1p+0, -0x1.f0a30c0118p-5, 0x1.d599e83368e91p-45},
    {0x1.0f8p+0, -0x1.e19070c278p-5, 0x1.fea4664629e86p-45},
    {0x1.0fp+0, -0x1.d276b8adbp-5, -0x1.6a423c78a64bp-46},
    {0x1.0e8p+0, -0x1.c355dd092p-5, -0x1.f2ccc9abf8388p-45},
    {0x1.0ep+0, -0x1.b42dd71198p-5, 0x1.c827ae5d6704cp-46},
    {0x1.0d8p+0, -0x1.a4fe9ffa4p-5, 0x1.6e584a0402925p-44},
    {0x1.0dp+0, -0x1.95c830ec9p-5, 0x1.c148297c5feb8p-45},
    {0x1.0c8p+0, -0x1.868a83084p-5, 0x1.2623a134ac693p-46},
    {0x1.0cp+0, -0x1.77458f633p-5, 0x1.181dce586af09p-44},
    {0x1.0bp+0, -0x1.58a5bafc9p-5, 0x1.b2b739570ad39p-45},
    {0x1.0a8p+0, -0x1.494acc34d8p-5, -0x1.11c78a56fd247p-45},
    {0x1.0ap+0, -0x1.39e87b9fe8p-5, -0x1.eafd480ad9015p-44},
    {0x1.098p+0, -0x1.2a7ec2215p-5, 0x1.78ce77a9163fep-45},
    {0x1.09p+0, -0x1.1b0d98924p-5, 0x1.3401e9ae889bbp-44},
    {0x1.088p+0, -0x1.0b94f7c198p-5, 0x1.e89896f022783p-45},
    {0x1.08p+0, -0x1.f829b0e78p-6, -0x1.980267c7e09e4p-45},
    {0x1.078p+0, -0x1.d91a66c54p-6, -0x1.e61f1658cfb9ap-45},
    {0x1.07p+0, -0x1.b9fc027bp-6, 0x1.b9a010ae6922ap-44},
    {0x1.068p+0, -0x1.9ace7551dp-6, 0x1.d75d97ec7c41p-45},
    {0x1.06p+0, -0x1.7b91b07d6p-6, 0x1.3b955b602ace4p-44},
    {0x1.058p+0, -0x1.5c45a51b9p-6, 0x1.63bb6216d87d8p-45},
    {0x1.05p+0, -0x1.3cea44347p-6, 0x1.6a2c432d6a40bp-44},
    {0x1.048p+0, -0x1.1d7f7eb9fp-6, 0x1.4193a83fcc7a6p-46},
    {0x1.04p+0, -0x1.fc0a8b0fcp-7, -0x1.f1e7cf6d3a69cp-50},
    {0x1.038p+0, -0x1.bcf712c74p-7, -0x1.c25e097bd9771p-46},
    {0x1.03p+0, -0x1.7dc475f82p-7, 0x1.eb1245b5da1f5p-44},
    {0x1.028p+0, -0x1.3e7295d26p-7, 0x1.609c1ff29a114p-45},
    {0x1.02p+0, -0x1.fe02a6b1p-8, -0x1.9e23f0dda40e4p-46},
    {0x1.018p+0, -0x1.7ee11ebd8p-8, -0x1.749d3c2d23a07p-47},
    {0x1.01p+0, -0x1.ff00aa2bp-9, -0x1.0bc04a086b56ap-45},
    {0x1p+0, -0x0p+0, 0x0p+0},
    {0x1p+0, -0x0p+0, 0x0p+0},
    {0x1.fdp-1, 0x1.812121458p-8, 0x1.ad50382973f27p-46},
    {0x1.fbp-1, 0x1.41929f968p-7, 0x1.977c755d01368p-46},
    {0x1.f9p-1, 0x1.c317384c8p-7, -0x1.41f33fcefb9fep-44},
    {0x1.f7p-1, 0x1.228fb1feap-6, 0x1.713e3284991fep-45},
    {0x1.f5p-1, 0x1.63d617869p-6, 0x1.7abf389596542p-47},
    {0x1.f38p-1, 0x1.94f6b99a2p-6, 0x1.11d5ef96cf7f5p-44},
    {0x1.f18p-1, 0x1.d6b272598p-6, -0x1.9ff7b50d1b838p-44},
    {0x1.ef8p-1, 0x1.0c58fa19ep-5, -0x1.559d158b17913p-47},
    {0x1.ed8p-1, 0x1.2d7ae5c3c8p-5, -0x1.22939459da66dp-44},
    {0x1.ecp-1, 0x1.466aed42ep-5, -0x1.c167375bdfd28p-45},
    {0x1.eap-1, 0x1.67c94f2d48p-5, 0x1.dac20827cca0cp-44},
    {0x1.e8p-1, 0x1.894aa149f8p-5, 0x1.9a19a8be97661p-44},
    {0x1.e68p-1, 0x1.a282b8a938p-5, -0x1.e8f5980efc8e3p-45},
    {0x1.e48p-1, 0x1.c441e06f7p-5, 0x1.54f1f49850d15p-44},
    {0x1.e3p-1, 0x1.dda8adc68p-5, -0x1.1b1ac64d9e42fp-45},
    {0x1.e1p-1, 0x1.ffa6911ab8p-5, 0x1.3008c98381a8fp-45},
    {0x1.dfp-1, 0x1.10e45b3cbp-4, -0x1.7cf69284a3465p-44},
    {0x1.dd8p-1, 0x1.1dbd2643dp-4, 0x1.90b24d977c494p-44},
    {0x1.dcp-1, 0x1.2aa04a447p-4, 0x1.7a48ba8b1cb41p-44},
    {0x1.dap-1, 0x1.3bdf5a7d2p-4, -0x1.19bd0ad125895p-44},
    {0x1.d88p-1, 0x1.48dae4bc3p-4, 0x1.0185b208c200cp-44},
    {0x1.d68p-1, 0x1.5a3abb01acp-4, 0x1.e25749e6afa18p-44},
    {0x1.d5p-1, 0x1.674f089364p-4, 0x1.a79994c9d3302p-44},
    {0x1.d38p-1, 0x1.746e100228p-4, -0x1.126d16e1e21d2p-44},
    {0x1.d18p-1, 0x1.85fd927508p-4, -0x1.5b81819970c1cp-44},
    {0x1.dp-1, 0x1.9335e5d594p-4, 0x1.3115c3abd47dap-45},
    {0x1.ce8p-1, 0x1.a0792e9278p-4, -0x1.a9ce6c9ad51bfp-47},
    {0x1.cc8p-1, 0x1.b23965a53p-4, -0x1.ff64eea137079p-49},
    {0x1.cbp-1, 0x1.bf968769fcp-4, 0x1.4218c8d824283p-45},
    {0x1.c98p-1, 0x1.ccfedbfeep-4, 0x1.3a8232fe71256p-44},
    {0x1.c8p-1, 0x1.da72763844p-4, 0x1.a89401fa71733p-46},
    {0x1.c68p-1, 0x1.e7f1691a34p-4, -0x1.2c1c59bc77bfap-44},
    {0x1.c5p-1, 0x1.f57bc7d9p-4, 0x1.76a6c9ea8b04ep-46},
    {0x1.c3p-1, 0x1.03cdc0a51ep-3, 0x1.81a9cf169fc5cp-44},
    {0x1.c18p-1, 0x1.0aa0691268p-3, -0x1.45519d7032129p-44},
    {0x1.cp-1, 0x1.1178e8227ep-3, 0x1.1ef78ce2d07f2p-45},
    {0x1.be8p-1, 0x1.185747dbecp-3, 0x1.e674445bd9b49p-44},
    {0x1.bdp-1, 0x1.1f3b925f26p-3, -0x1.5f74e9b083633p-46},
    {0x1.bb8p-1, 0x1.2625d1e6dep-3, -0x1.52962f09e3d82p-48},
    {0x1.bap-1, 0x1.2d1610c868p-3, 0x1.39d6ccb81b4a1p-47},
    {0x1.b88p-1, 0x1.340c597412p-3, -0x1.7a3dcf7d9d386p-44},
    {0x1.b7p-1, 0x1.3b08b6758p-3, -0x1.aade8f29320fbp-44},
    {0x1.b58p-1, 0x1.420b32741p-3, -0x1.16282c85a0884p-46},
    {0x1.b4p-1, 0x1.4913d8333cp-3, -0x1.53e43558124c4p-44},
    {0x1.b28p-1, 0x1.5022b292f6p-3, 0x1.48a05ff36a25bp-44},
    {0x1.b18p-1, 0x1.54dabc261p-3, 0x1.746fee5c8d0d8p-45},
    {0x1.bp-1, 0x1.5bf406b544p-3, -0x1.27023eb68981cp-46},
    {0x1.ae8p-1, 0x1.6313a37336p-3, -0x1.44df54f21ea6dp-46},
    {0x1.adp-1, 0x1.6a399dabbep-3, -0x1.8f934e66a15a6p-44},
    {0x1.ab8p-1, 0x1.716600c914p-3, 0x1.51b157cec3838p-49},
    {0x1.aa8p-1, 0x1.7631d82936p-3, -0x1.5e77dc7c5f3e1p-45},
    {0x1.a9p-1, 0x1.7d6903caf6p-3, -0x1.4c06b17c301d7p-45},
    {0x1.a78p-1, 0x1.84a6b759f6p-3, -0x1.da2802adf8609p-44},
    {0x1.a6p-1, 0x1.8beafeb39p-3, -0x1.73d54aae92cd1p-47},
    {0x1.a5p-1, 0x1.90c6db9fccp-3, -0x1.935f57718d7cap-46},
    {0x1.a38p-1, 0x1.981634011ap-3, 0x1.4eadd9e9045e2p-44},
    {0x1.a2p-1, 0x1.9f6c40708ap-3, -0x1.337d94bcd3f43p-44},
    {0x1.a1p-1, 0x1.a454082e6ap-3, 0x1.60a77c81f7171p-44},
    {0x1.9f8p-1, 0x1.abb55c316ap-3, -0x1.8a65acaf14cd8p-44},
    {0x1.9ep-1, 0x1.b31d8575bcp-3, 0x1.c794e562a63cbp-44},
    {0x1.9dp-1, 0x1.b811730b82p-3, 0x1.e90683b9cd768p-46},
    {0x1.9b8p-1, 0x1.bf851c0676p-3, -0x1.5420e4c0854adp-44},
    {0x1.9ap-1, 0x1.c6ffbc6fp-3, 0x1.ee138d3a69d43p-44},
    {0x1.99p-1, 0x1.cc000c9db4p-3, -0x1.d6d585d57aff9p-46},
    {0x1.978p-1, 0x1.d38666872p-3, -0x1.73650b38932bcp-44},
    {0x1.968p-1, 0x1.d88e93fb3p-3, -0x1.75f280234bf51p-44},
    {0x1.95p-1, 0x1.e020cc6236p-3, -0x1.52b00adb91424p-45},
    {0x1.94p-1, 0x1.e530effe72p-3, -0x1.fdbdbb13f7c18p-44},
    {0x1.928p-1, 0x1.eccf2c8feap-3, -0x1.bec63a3e7564p-44},
    {0x1.918p-1, 0x1.f1e75fadfap-3, -0x1.0862b25d83f6dp-45},
    {0x1.9p-1, 0x1.f991c6cb3cp-3, -0x1.90d04cd7cc834p-44},
    {0x1.8fp-1, 0x1.feb2233eap-3, 0x1.f3418de00938bp-45},
    {0x1.8ep-1, 0x1.01eae5626cp-2, 0x1.a43dcfade85aep-44},
    {0x1.8c8p-1, 0x1.05c8be0d96p-2, 0x1.ad0f1c77ccb58p-45},
    {0x1.8b8p-1, 0x1.085eb8f8aep-2, 0x1.e5d513f45fe7bp-44},
    {0x1.8ap-1, 0x1.0c42d67616p-2, 0x1.7188b163ceae9p-45},
    {0x1.89p-1, 0x1.0edd060b78p-2, 0x1.019b52d8435f5p-47},
    {0x1.88p-1, 0x1.1178e8227ep-2, 0x1.1ef78ce2d07f2p-44},
    {0x1.868p-1, 0x1.1565eed456p-2, -0x1.e75adfb6aba25p-49},
    {0x1.858p-1, 0x1.180618ef19p-2, -0x1.482ffc86d38e5p-44},
    {0x1.848p-1, 0x1.1aa7fd638dp-2, 0x1.9f60a9616f7ap-45},
    {0x1.83p-1, 0x1.1e9e16788ap-2, -0x1.82eaed3c8b65ep-44},
    {0x1.82p-1, 0x1.214456d0ecp-2, -0x1.caf0428b728a3p-44},
    {0x1.81p-1, 0x1.23ec5991ecp-2, -0x1.6dbe448a2e522p-44},
    {0x1.8p-1, 0x1.269621134ep-2, -0x1.1b61f10522625p-44},
    {0x1.7e8p-1, 0x1.2a982269a4p-2, -0x1.2058e557285cfp-45},
    {0x1.7d8p-1, 0x1.2d46602addp-2, -0x1.88d0ddcd54196p-45},
    {0x1.7c8p-1, 0x1.2ff66b04ebp-2, -0x1.8aed2541e6e2ep-44},
    {0x1.7b8p-1, 0x1.32a8456512p-2, 0x1.4f928139af5d6p-47},
    {0x1.7a8p-1, 0x1.355bf1bd83p-2, -0x1.ba99b8964f0e8p-45},
    {0x1.79p-1, 0x1.396ce359bcp-2, -0x1.5839c5663663dp-47},
    {0x1.78p-1, 0x1.3c25277333p-2, 0x1.83b54b606bd5cp-46},
    {0x1.77p-1, 0x1.3edf463c17p-2, -0x1.f067c297f2c3fp-44},
    {0x1.76p-1, 0x1.419b423d5fp-2, -0x1.ce379226de3ecp-44},
    {0x1.75p-1, 0x1.44591e053ap-2, -0x1.6e95892923d88p-47},
    {0x1.74p-1, 0x1.4718dc271cp-2, 0x1.06c18fb4c14c5p-44},
    {0x1.73p-1, 0x1.49da7f3bccp-2, 0x1.07b334daf4b9ap-44},
    {0x1.718p-1, 0x1.4e0086dd8cp-2, -0x1.4d692a1e44788p-44},
    {0x1.708p-1, 0x1.50c6f1d11cp-2, -0x1.a0e6b7e827c2cp-44},
    {0x1.6f8p-1, 0x1.538f4af8f7p-2, 0x1.7ec02e45547cep-45},
    {0x1.6e8p-1, 0x1.5659950695p-2, 0x1.4c5fd2badc774p-46},
    {0x1.6d8p-1, 0x1.5925d2b113p-2, -0x1.69bf5a7a56f34p-44},
    {0x1.6c8p-1, 0x1.5bf406b544p-2, -0x1.27023eb68981cp-45},
    {0x1.6b8p-1, 0x1.5ec433d5c3p-2, 0x1.6b71a1229d17fp-44},
    {0x1.6a8p-1, 0x1.61965cdb03p-2, -0x1.f08ad603c488ep-45},
    {0x1.698p-1, 0x1.646a84935bp-2, 0x1.50f724b6964d7p-45},
    {0x1.688p-1, 0x1.6740add31ep-2, -0x1.6b897164e1588p-46},
    {0x1.678p-1, 0x1.6a18db74a6p-2, -0x1.ceb6b3da85227p-44},
    {0x1.668p-1, 0x1.6cf3105867p-2, 0x1.d85922538546dp-47},
    {0x1.658p-1, 0x1.6fcf4f6503p-2, 0x1.3f33da81b8631p-44},
    {0x1.648p-1, 0x1.72ad9b8759p-2, -0x1.cfd1f675ec2d2p-45},
    {0x1.638p-1, 0x1.758df7b295p-2, 0x1.cae10429b8146p-44},
    {0x1.628p-1, 0x1.787066e049p-2, 0x1.5f46227edfd8fp-46},
    {0x1.62p-1, 0x1.79e26687dp-2, -0x1.309c168817444p-44},
    {0x1.61p-1, 0x1.7cc7f7db47p-2, -0x1.7c98438023cdcp-44},
    {0x1.6p-1, 0x1.7fafa3bd81p-2, 0x1.46fb79bf6d4cbp-44},
    {0x1.5fp-1, 0x1.82996d3ef9p-2, -0x1.0d52aa30536bbp-44},
    {0x1.5ep-1, 0x1.85855776ddp-2, -0x1.015486666443bp-44},
    {0x1.5dp-1, 0x1.8873658328p-2, -0x1.988e21f7fc497p-45},
    {0x1.5cp-1, 0x1.8b639a88b3p-2, -0x1.05ae1e5e7047p-45},
    {0x1.5bp-1, 0x1.8e55f9b34ap-2, -0x1.1f21d89c89c45p-44},
    {0x1.5a8p-1, 0x1.8fcffa1615p-2, -0x1.57e75e77aa71ep-44},
    {0x1.598p-1, 0x1.92c59e79c1p-2, -0x1.a9f47e300b3cap-46},
    {0x1.588p-1, 0x1.95bd750ee4p-2, -0x1.2d6ab0649244fp-46},
    {0x1.578p-1, 0x1.98b7811a3fp-2, -0x1.a4ad8b4933eeep-46},
    {0x1.568p-1, 0x1.9bb3c5e7e5p-2, -0x1.faa94e428a18cp-44},
    {0x1.56p-1, 0x1.9d32bea15fp-2, -0x1.6279e10d0c0bp-45}
};
static_assert(std::size(kLogCells) == 256);

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

// y / ln10 rounded when the relative error bound of y (plus the product's 2^-100) decides it; NaN otherwise.
double Decided10(const DoubleDouble& y, double bound) {
    const DoubleDouble p = TwoProduct(y.hi, kInvLn10High);
    const double lo = p.lo + (y.hi * kInvLn10Low + y.lo * kInvLn10High);
    return Decided(p.hi, lo, std::fabs(p.hi) * bound);
}

// The special values of the logarithms; false for a positive finite x.
bool Special(double x, double& result) {
    // One unsigned comparison: +0 wraps round, the sign bit, inf and NaN lie above.
    if (std::bit_cast<uint64_t>(x) - 1 < 0x7fefffffffffffffu) return false;
    result = x == 0 ? -HUGE_VAL : x > 0 ? x : std::numeric_limits<double>::quiet_NaN();
    return true;
}

// x = 2^k (1 + f) / c: the parts of log x that the quick and the careful sums share.
struct Reduced {
    double k;        // as a double
    const LogCell* cell;
    double f;        // exact: f = zh c - 1, where the rest of f is zl c, 2^-42 or less
    double rest;     // log(1 + f + zl c) - log(1 + f) = zl c / (1 + f) (the next term is below 2^-75 log x)
    double head;     // k ln2 + (hi of -log c), exact
    double cubic;    // f^3 (1/3 - f/4 + ... + f^6/9); the next term is below 2^-75 f
};

Reduced Reduce(double x) {
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
    // z = zh + zl, zh with 43 bits: zh c and zl c are exact, and so is zh c - 1
    // (beside 1, where c is 1 and log x is small, z itself: f exact, rest 0).
    const double zh = std::bit_cast<double>(zbits & (cell.c == 1.0 ? ~uint64_t{0} : ~uint64_t{0x3ff}));
    const double zl = std::bit_cast<double>(zbits) - zh;
    const double f = zh * cell.c - 1.0;
    // Estrin's scheme: short dependency chains, so that calls overlap.
    const double f2 = f * f, f4 = f2 * f2;
    const double cubic = f * f2 * ((0x1.5555555555555p-2 - 0x1p-2 * f) + f2 * (0x1.999999999999ap-3
                         - 0x1.5555555555555p-3 * f) + f4 * ((0x1.2492492492492p-3 - 0x1p-3 * f)
                         + 0x1.c71c71c71c71cp-4 * f2));
    return {k, &cell, f, zl * cell.c / (1.0 + f), k * kLn2High + cell.hi, cubic};
}

// log x as hi + lo in plain doubles: f^2 rounded, relative error below 2^-61.
DoubleDouble QuickSum(const Reduced& r) {
    const DoubleDouble b = FastTwoSum(r.head, r.f);  // |head| >= |f| unless head is 0
    return {b.hi, b.lo + (r.k * kLn2Low + r.cell->lo + (r.rest + (-0x1p-1 * (r.f * r.f) + r.cubic)))};
}

// log x as hi + lo with f^2 exact: relative error below 2^-67 (the series's roundings, 2^-68.6 of f at most, dominate; 2^-68.7 seen over 3 million arguments against MPFR).
DoubleDouble CarefulSum(const Reduced& r) {
    const DoubleDouble f2 = TwoProduct(r.f, r.f);
    const DoubleDouble b = FastTwoSum(r.head, r.f);
    const DoubleDouble d = FastTwoSum(b.hi, -0x1p-1 * f2.hi);  // |f^2/2| <= |b.hi|
    const double small = r.k * kLn2Low + r.cell->lo + (r.rest - 0x1p-1 * f2.lo + r.cubic);
    return {d.hi, d.lo + (b.lo + small)};
}

}  // namespace

DoubleDouble LogEstimate(double x) { return CarefulSum(Reduce(x)); }

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

double LogRounded(double x) {
    const Reduced r = Reduce(x);
    DoubleDouble y = QuickSum(r);
    const double result = Decided(y.hi, y.lo, std::fabs(y.hi) * 0x1p-60);
    if (result == result) return result;
    y = CarefulSum(r);
    return Decided(y.hi, y.lo, std::fabs(y.hi) * 0x1p-67);
}

double Log10Rounded(double x) {
    const Reduced r = Reduce(x);
    const double result = Decided10(QuickSum(r), 0x1p-60);
    return result == result ? result : Decided10(CarefulSum(r), 0x1.8p-67);
}

double LogAccurate(double x) { return Round(LogWide(x), kMargin); }

double Log10Accurate(double x) { return Round(Multiply(LogWide(x), kInvLn10), kMargin); }

}  // namespace elementary

double Log(double x) {
    double result = 0.0;
    if (elementary::Special(x, result)) return result;
    result = elementary::LogRounded(x);
    return result == result ? result : elementary::LogAccurate(x);
}

double Log10(double x) {
    double result = 0.0;
    if (elementary::Special(x, result)) return result;
    result = elementary::Log10Rounded(x);
    return result == result ? result : elementary::Log10Accurate(x);
}

}  // namespace qrvp
