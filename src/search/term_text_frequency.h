#pragma once

/// How often a byte stands in typical text, as a fraction; guides the choice of rare bytes.
double TextFrequency(unsigned char byte);
