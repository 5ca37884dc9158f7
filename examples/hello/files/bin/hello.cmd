@echo off
echo Hello from Keldwick Setup!
