#pragma once
// Analysis of a net: state space, behavioural properties and invariants.
