// This family's routines are added here.
namespace qrvp {}
