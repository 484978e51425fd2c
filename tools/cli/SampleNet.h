#pragma once

class TPetryNet;

// A small net whose elements, rendered with their states, show every look an
// element can have: plain, selected, highlighted, enabled, token numbers,
// multiplicity labels, bend points and arrows in all four directions.
// The net of tests/data/sample.qvx.
void BuildSampleNet(TPetryNet &net);

// The looks that documents do not store: modelling mode, the second, fourth,
// ... element of each list selected, the last place and transition highlighted.
void ApplySampleStates(TPetryNet &net);
