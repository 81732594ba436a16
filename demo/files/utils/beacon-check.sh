#!/bin/sh
echo "Beacon check: all lights burning."
