// The POSIX platform services are added here.
namespace qrvp::platform {}
